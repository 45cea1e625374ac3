#include "apps/studio/SentenceEditor.h"

#include "apps/studio/StudioSettings.h"
#include "mediakit/TextDecoding.h"

#include <QDoubleSpinBox>
#include <QFileInfo>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QStyledItemDelegate>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

const QStringList kColumns{QStringLiteral("开始"), QStringLiteral("结束"), QStringLiteral("文本"), QStringLiteral("译文")};
const QString kLayout = QStringLiteral("排版");
const QString kSave = QStringLiteral("保存");
const QString kMaxChars = QStringLiteral("每行");
const QString kMaxLines = QStringLiteral("行数");
const QString kMaxSeconds = QStringLiteral("时长");
const QString kAutomatic = QStringLiteral("自动");
const QString kCharsSuffix = QStringLiteral(" 字");
const QString kSecondsSuffix = QStringLiteral(" 秒");
const QString kLaidOut = QStringLiteral("已排版：%1 句，尚未保存");
const QString kSaved = QStringLiteral("已保存");
const QString kTranslationSaved = QStringLiteral("已保存字幕和译文");
const QString kTranslationDropped = QStringLiteral("排版后句数变了，译文不再对应，已不显示；保存只写字幕");
const QString kUnsavedTitle = QStringLiteral("字幕尚未保存");
const QString kUnsaved = QStringLiteral("“%1”的字幕有未保存的修改。是否保存？");
const QString kDiscard = QStringLiteral("不保存");
const QString kCancel = QStringLiteral("取消");
const QString kRefusedStyle = QStringLiteral("color: #d9534f;");
const QString kPickEncodingTitle = QStringLiteral("字幕的字符集");
const QString kPickEncoding = QStringLiteral("无法确定“%1”的字符集，请选择：");
const QString kNoEncoding = QStringLiteral("无法读取字幕文件：无法确定它的字符集");
constexpr int kLongestLine = 80;
// Room around a time in its column, as the style's item margins and a little air.
constexpr int kTimePadding = 16;
constexpr int kMostLines = 4;
constexpr double kShortestSeconds = 1.0;
constexpr double kLongestSeconds = 30.0;

// Texts keep their line breaks while edited: a line edit would fold them away.
class MultiLineDelegate : public QStyledItemDelegate
{
public:
    explicit MultiLineDelegate(QTreeView* view)
        : QStyledItemDelegate(view)
        , m_view(view)
    {
    }

    // Wrapped at the column's width as it is now: the view asks without one, and a caption that
    // fitted a line when the column was wider would stay cut short.
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QStyleOptionViewItem sized = option;
        // The style wraps only within a valid rectangle; its height does not matter.
        sized.rect = QRect(0, 0, m_view->header()->sectionSize(index.column()), 1);
        return QStyledItemDelegate::sizeHint(sized, index);
    }

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex&) const override
    {
        auto* editor = new QPlainTextEdit(parent);
        editor->setTabChangesFocus(true);
        return editor;
    }
    void setEditorData(QWidget* editor, const QModelIndex& index) const override
    {
        static_cast<QPlainTextEdit*>(editor)->setPlainText(index.data(Qt::EditRole).toString());
    }
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override
    {
        model->setData(index, static_cast<QPlainTextEdit*>(editor)->toPlainText(), Qt::EditRole);
    }

private:
    QTreeView* m_view;
};

} // namespace

SentenceEditor::SentenceEditor(QWidget* parent)
    : QWidget(parent)
    , m_list(new QTreeWidget)
    , m_maxChars(new QSpinBox)
    , m_maxLines(new QSpinBox)
    , m_maxSeconds(new QDoubleSpinBox)
    , m_layout(new QPushButton(kLayout))
    , m_save(new QPushButton(kSave))
    , m_message(new QLabel)
{
    m_list->setHeaderLabels(kColumns);
    m_list->setRootIsDecorated(false);
    // The times keep the width of the widest time; the text takes the rest and wraps. Measured
    // from the rows in view, the times' width would change as wrapped rows scroll in and out, and
    // the text columns' widths and heights with it, over and over.
    const QFontMetrics metrics(m_list->font());
    QChar widestDigit = QLatin1Char('0');
    for (char c = '1'; c <= '9'; ++c) {
        if (metrics.horizontalAdvance(QLatin1Char(c)) > metrics.horizontalAdvance(widestDigit))
            widestDigit = QLatin1Char(c);
    }
    QString widest = SubtitleSentences::FormatTime(0);
    for (QChar& c : widest) {
        if (c.isDigit())
            c = widestDigit;
    }
    const int timeWidth = metrics.horizontalAdvance(widest) + kTimePadding;
    for (const int column : {StartColumn, EndColumn}) {
        m_list->header()->setSectionResizeMode(column, QHeaderView::Fixed);
        m_list->header()->resizeSection(column, timeWidth);
    }
    m_list->header()->setSectionResizeMode(TextColumn, QHeaderView::Stretch);
    m_list->header()->setSectionResizeMode(TranslationColumn, QHeaderView::Stretch);
    m_list->setColumnHidden(TranslationColumn, true);
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // Row heights follow the text columns' widths; a scroll bar that came and went with them would
    // change those widths again.
    m_list->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_list->setWordWrap(true);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    // A double click is the seek; editing starts from a click on the chosen row or F2.
    m_list->setEditTriggers(QAbstractItemView::SelectedClicked | QAbstractItemView::EditKeyPressed);
    m_list->setItemDelegateForColumn(TextColumn, new MultiLineDelegate(m_list));
    m_list->setItemDelegateForColumn(TranslationColumn, new MultiLineDelegate(m_list));

    // 0 lets each caption's script choose its line length, as the command line does by default.
    m_maxChars->setRange(0, kLongestLine);
    m_maxChars->setSpecialValueText(kAutomatic);
    m_maxChars->setSuffix(kCharsSuffix);
    m_maxLines->setRange(1, kMostLines);
    m_maxSeconds->setRange(kShortestSeconds, kLongestSeconds);
    m_maxSeconds->setDecimals(1);
    m_maxSeconds->setSingleStep(0.5);
    m_maxSeconds->setSuffix(kSecondsSuffix);
    // As the user left them last time; a number kept out of range is brought into it.
    const CaptionLayout::Limits kept = StudioSettings::CaptionLimits();
    m_maxChars->setValue(kept.maxChars);
    m_maxLines->setValue(kept.maxLines);
    m_maxSeconds->setValue(kept.maxSeconds);
    m_save->setEnabled(false);
    m_layout->setEnabled(false);
    m_message->setWordWrap(true);
    m_message->hide();

    auto* numbers = new QHBoxLayout;
    numbers->setContentsMargins(0, 0, 0, 0);
    for (const auto& [caption, box] : {std::pair<QString, QWidget*>{kMaxChars, m_maxChars}, {kMaxLines, m_maxLines},
                                       {kMaxSeconds, m_maxSeconds}}) {
        numbers->addWidget(new QLabel(caption));
        numbers->addWidget(box, 1);
    }
    auto* buttons = new QHBoxLayout;
    buttons->setContentsMargins(0, 0, 0, 0);
    buttons->addStretch(1);
    buttons->addWidget(m_layout);
    buttons->addWidget(m_save);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_list, 1);
    layout->addLayout(numbers);
    layout->addLayout(buttons);
    layout->addWidget(m_message);

    connect(m_list, &QTreeWidget::itemChanged, this, &SentenceEditor::OnItemChanged);
    // Wrapped rows take the height of their text at the columns' new widths, not the old ones.
    connect(m_list->header(), &QHeaderView::sectionResized, m_list, &QTreeWidget::doItemsLayout);
    connect(m_list, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) {
        const int index = m_list->indexOfTopLevelItem(item);
        if (index >= 0 && index < m_sentences.Count())
            emit SeekRequested(m_sentences.Captions()[size_t(index)].start);
    });
    connect(m_layout, &QPushButton::clicked, this, &SentenceEditor::ApplyLayout);
    connect(m_maxChars, &QSpinBox::valueChanged, this, &SentenceEditor::KeepLimits);
    connect(m_maxLines, &QSpinBox::valueChanged, this, &SentenceEditor::KeepLimits);
    connect(m_maxSeconds, &QDoubleSpinBox::valueChanged, this, &SentenceEditor::KeepLimits);
    connect(m_save, &QPushButton::clicked, this, &SentenceEditor::Save);
}

void SentenceEditor::Open(const QString& path)
{
    QString error;
    bool unsure = false;
    bool picked = false;
    const bool hadTranslation = m_translation.Count() > 0;
    m_translation.Clear();
    m_list->setColumnHidden(TranslationColumn, true);
    if (path.isEmpty())
        m_sentences.Clear();
    else if (m_sentences.Load(path, error, QString(), &unsure))
        m_message->hide();
    else if (!unsure)
        Tell(error, true);
    else if (const QString encoding = PickEncoding(path, picked); !picked)
        Tell(kNoEncoding, true);
    else if (m_sentences.Load(path, error, encoding))
        m_message->hide();
    else
        Tell(error, true);
    Fill();
    emit SentencesChanged(path);
    if (hadTranslation)
        emit TranslationChanged(path);
}

bool SentenceEditor::OpenTranslation(const QString& path)
{
    QString error;
    SubtitleSentences translation;
    bool matches = !path.isEmpty() && path != m_sentences.Path() && translation.Load(path, error) &&
                   translation.Count() == m_sentences.Count();
    for (int i = 0; matches && i < translation.Count(); ++i) {
        const Caption& source = m_sentences.Captions()[size_t(i)];
        const Caption& translated = translation.Captions()[size_t(i)];
        matches = source.start == translated.start && source.end == translated.end;
    }
    m_translation = matches ? std::move(translation) : SubtitleSentences();
    m_list->setColumnHidden(TranslationColumn, !matches);
    Fill();
    emit TranslationChanged(m_sentences.Path());
    return matches;
}

QString SentenceEditor::PickEncoding(const QString& path, bool& picked)
{
    return QInputDialog::getItem(this, kPickEncodingTitle, kPickEncoding.arg(QFileInfo(path).fileName()),
                                 TextDecoding::Common(), 0, false, &picked);
}

void SentenceEditor::Fill()
{
    const QSignalBlocker blocker(m_list);
    m_list->clear();
    for (int i = 0; i < m_sentences.Count(); ++i) {
        auto* item = new QTreeWidgetItem(m_list);
        item->setFlags(item->flags() | Qt::ItemIsEditable);
        ShowRow(item, i);
    }
    m_layout->setEnabled(m_sentences.Count() > 0);
    m_save->setEnabled(Modified());
}

void SentenceEditor::ShowRow(QTreeWidgetItem* item, int index)
{
    const QSignalBlocker blocker(m_list);
    const Caption& caption = m_sentences.Captions()[size_t(index)];
    item->setText(StartColumn, SubtitleSentences::FormatTime(caption.start));
    item->setText(EndColumn, SubtitleSentences::FormatTime(caption.end));
    item->setText(TextColumn, caption.text);
    item->setToolTip(TextColumn, caption.text);
    if (index < m_translation.Count()) {
        const QString& translated = m_translation.Captions()[size_t(index)].text;
        item->setText(TranslationColumn, translated);
        item->setToolTip(TranslationColumn, translated);
    }
}

void SentenceEditor::OnItemChanged(QTreeWidgetItem* item, int column)
{
    const int index = m_list->indexOfTopLevelItem(item);
    if (index < 0 || index >= m_sentences.Count())
        return;
    const Caption before = m_sentences.Captions()[size_t(index)];
    QString error;
    bool accepted = false;
    const bool translated = index < m_translation.Count();
    if (column == TextColumn) {
        accepted = m_sentences.SetText(index, item->text(TextColumn), error);
    } else if (column == TranslationColumn) {
        accepted = translated && m_translation.SetText(index, item->text(TranslationColumn), error);
    } else {
        int32_t time = 0;
        accepted = SubtitleSentences::ParseTime(item->text(column), time, error) &&
                   m_sentences.SetTimes(index, column == StartColumn ? time : before.start,
                                        column == EndColumn ? time : before.end, error);
        // The translation's captions are the same captions: their times move together.
        if (accepted && translated) {
            const Caption& moved = m_sentences.Captions()[size_t(index)];
            QString ignored;
            m_translation.SetTimes(index, moved.start, moved.end, ignored);
        }
    }
    // Either way the row shows what the sentences now hold: the edit, tidied, or what it was.
    ShowRow(item, index);
    if (!accepted) {
        Tell(error, true);
        return;
    }
    m_message->hide();
    Changed();
    if (translated && column != TextColumn)
        emit TranslationChanged(m_sentences.Path());
}

void SentenceEditor::ApplyLayout()
{
    const int before = m_sentences.Count();
    m_sentences.Layout({m_maxChars->value(), m_maxLines->value(), m_maxSeconds->value()});
    // Cut or merged, the captions no longer pair with the translation's: it would be wrong beside them.
    const bool dropped = m_translation.Count() > 0 && m_sentences.Count() != before;
    if (dropped) {
        m_translation.Clear();
        m_list->setColumnHidden(TranslationColumn, true);
    }
    Fill();
    Tell(dropped ? kTranslationDropped : kLaidOut.arg(m_sentences.Count()), dropped);
    Changed();
    if (dropped)
        emit TranslationChanged(m_sentences.Path());
}

bool SentenceEditor::Save()
{
    QString error;
    if ((m_sentences.Modified() && !m_sentences.Save(error)) ||
        (m_translation.Modified() && !m_translation.Save(error))) {
        Tell(error, true);
        m_save->setEnabled(Modified());
        return false;
    }
    m_save->setEnabled(false);
    Tell(m_translation.Count() > 0 ? kTranslationSaved : kSaved, false);
    return true;
}

bool SentenceEditor::ConfirmLeave()
{
    if (!Modified())
        return true;
    QMessageBox box(QMessageBox::Question, kUnsavedTitle, kUnsaved.arg(QFileInfo(m_sentences.Path()).fileName()),
                    QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, this);
    box.button(QMessageBox::Save)->setText(kSave);
    box.button(QMessageBox::Discard)->setText(kDiscard);
    box.button(QMessageBox::Cancel)->setText(kCancel);
    box.setDefaultButton(QMessageBox::Save);
    box.setEscapeButton(QMessageBox::Cancel);
    switch (box.exec()) {
    case QMessageBox::Save:
        return Save();
    case QMessageBox::Discard:
        return true;
    default:
        return false;
    }
}

bool SentenceEditor::ConfirmSaved()
{
    if (!ConfirmLeave())
        return false;
    if (Modified()) {
        // Copies: opening clears the sentences, their paths with them.
        const QString path = m_sentences.Path();
        const QString translation = m_translation.Path();
        Open(path);
        if (!translation.isEmpty())
            OpenTranslation(translation);
    }
    return true;
}

void SentenceEditor::KeepLimits()
{
    StudioSettings::SetCaptionLimits({m_maxChars->value(), m_maxLines->value(), m_maxSeconds->value()});
}

void SentenceEditor::Tell(const QString& message, bool refusal)
{
    m_message->setText(message);
    m_message->setStyleSheet(refusal ? kRefusedStyle : QString());
    m_message->show();
}

void SentenceEditor::Changed()
{
    m_save->setEnabled(Modified());
    emit SentencesChanged(m_sentences.Path());
}
