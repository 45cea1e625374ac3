#include "apps/studio/ProjectView.h"

#include "apps/studio/StudioProject.h"
#include "apps/studio/SentenceEditor.h"
#include "apps/studio/SrtDubbingPanel.h"
#include "mediakit/CaptionWriter.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QIcon>
#include <QImageReader>
#include <QInputDialog>
#include <QLabel>
#include <QListWidget>
#include <QPixmap>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

const QString kTextsTitle = QStringLiteral("文本对象");
const QString kMediaTitle = QStringLiteral("媒体文件");
const QString kBinTitle = QStringLiteral("素材箱");
const QString kSentencesTitle = QStringLiteral("字幕内容");
const QString kSubtitleSuffix = QStringLiteral("srt");
const QString kAddText = QStringLiteral("添加文本");
const QString kAddMedia = QStringLiteral("添加媒体文件");
const QString kExport = QStringLiteral("导出视频");
// What the export takes: files with a picture to keep.
const QStringList kVideoSuffixes{QStringLiteral("mp4"), QStringLiteral("mov"), QStringLiteral("mkv"),
                                 QStringLiteral("webm"), QStringLiteral("m4v")};
const QString kNewTextPrompt = QStringLiteral("文本内容：");
const QString kAudioLabel = QStringLiteral("音频");
const QString kSubtitlesLabel = QStringLiteral("字幕");
// Long texts show their start in the list; the whole text is the item's tool tip.
constexpr int kTextPreviewLength = 24;
// Pictures in the bin show as thumbnails of this size at most.
constexpr QSize kThumbnailSize(64, 40);
// A bin entry that belongs to a text object or media file names it.
const QString kAttachedTo = QStringLiteral(" → %1");

QString Preview(const QString& text)
{
    const QString firstLine = text.section(QLatin1Char('\n'), 0, 0);
    return firstLine.length() > kTextPreviewLength ? firstLine.left(kTextPreviewLength) + QStringLiteral("…") : firstLine;
}

QTreeWidget* MakeTree(QAbstractItemView::SelectionMode mode, Qt::TextElideMode elide)
{
    auto* tree = new QTreeWidget;
    tree->setHeaderHidden(true);
    tree->setSelectionMode(mode);
    tree->setRootIsDecorated(true);
    tree->setTextElideMode(elide);
    return tree;
}

QLabel* MakeTitle(const QString& text)
{
    auto* title = new QLabel(text);
    title->setObjectName(QStringLiteral("sectionTitle"));
    return title;
}

QTreeWidgetItem* TopItem(QTreeWidget* tree, const QUuid& id)
{
    for (int i = 0; i < tree->topLevelItemCount(); ++i) {
        if (tree->topLevelItem(i)->data(0, Qt::UserRole).toUuid() == id)
            return tree->topLevelItem(i);
    }
    return nullptr;
}

QString ResultLabel(const QString& kind, const ToolResult& result)
{
    return QStringLiteral("%1 · %2 · %3").arg(kind, QFileInfo(result.path).fileName(), result.tool);
}

} // namespace

ProjectView::ProjectView(StudioProject& project, QWidget* parent)
    : QWidget(parent)
    , m_project(project)
    , m_texts(MakeTree(QAbstractItemView::SingleSelection, Qt::ElideRight))
    // A file's name tells most at its start and its extension.
    , m_media(MakeTree(QAbstractItemView::ExtendedSelection, Qt::ElideMiddle))
    , m_bin(new QListWidget)
    , m_export(new QPushButton(kExport))
    , m_sentencePane(new QWidget)
    , m_sentences(new SentenceEditor)
    , m_dubbing(new SrtDubbingPanel(project, *m_sentences))
{
    setObjectName(QStringLiteral("projectView"));
    auto* addText = new QPushButton(kAddText);
    auto* addMedia = new QPushButton(kAddMedia);
    m_bin->setTextElideMode(Qt::ElideMiddle);
    m_bin->setIconSize(kThumbnailSize);
    // Entries that name their text object run long: they wrap rather than scroll sideways.
    m_bin->setWordWrap(true);
    m_bin->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->addWidget(MakeTitle(kTextsTitle));
    layout->addWidget(m_texts, 1);
    layout->addWidget(addText);
    layout->addSpacing(6);
    layout->addWidget(MakeTitle(kMediaTitle));
    layout->addWidget(m_media, 1);
    auto* mediaButtons = new QHBoxLayout;
    mediaButtons->addWidget(addMedia, 1);
    mediaButtons->addWidget(m_export, 1);
    layout->addLayout(mediaButtons);
    m_export->setEnabled(false);
    layout->addSpacing(6);
    layout->addWidget(MakeTitle(kBinTitle));
    layout->addWidget(m_bin, 1);

    auto* sentenceLayout = new QVBoxLayout(m_sentencePane);
    sentenceLayout->setContentsMargins(0, 6, 0, 0);
    sentenceLayout->addWidget(MakeTitle(kSentencesTitle));
    sentenceLayout->addWidget(m_sentences);
    sentenceLayout->addWidget(m_dubbing);
    m_sentencePane->hide();
    // The sentences are what is read and corrected: they get the most room.
    layout->addWidget(m_sentencePane, 2);

    connect(addText, &QPushButton::clicked, this, &ProjectView::AddTextFromUser);
    connect(addMedia, &QPushButton::clicked, this, &ProjectView::AddMediaFromUser);
    connect(m_texts, &QTreeWidget::itemSelectionChanged, this, &ProjectView::SelectionChanged);
    connect(m_media, &QTreeWidget::itemSelectionChanged, this, &ProjectView::SelectionChanged);
    connect(this, &ProjectView::SelectionChanged, this, [this] {
        const ProjectSelection selection = Selection();
        m_export->setEnabled(!selection.media.isEmpty() &&
                             kVideoSuffixes.contains(QFileInfo(selection.media.first()->path).suffix().toLower()) &&
                             QFileInfo(selection.media.first()->path).isFile());
    });
    connect(m_export, &QPushButton::clicked, this, &ProjectView::ExportRequested);
    connect(&m_project, &StudioProject::TextAdded, this, &ProjectView::OnTextAdded);
    connect(&m_project, &StudioProject::MediaAdded, this, &ProjectView::OnMediaAdded);
    connect(&m_project, &StudioProject::ResultAttached, this, &ProjectView::OnResultAttached);
    connect(&m_project, &StudioProject::BinAdded, this, &ProjectView::OnBinAdded);
    connect(m_bin, &QListWidget::currentItemChanged, this, [this](QListWidgetItem* item, QListWidgetItem* previous) {
        // Sentences with changes stay until the user has said what becomes of the changes.
        if (!m_sentences->ConfirmLeave()) {
            const QSignalBlocker blocker(m_bin);
            m_bin->setCurrentItem(previous);
            return;
        }
        const QString path = item ? item->data(Qt::UserRole).toString() : QString();
        ShowSentences(path);
        emit BinChosen(path);
    });
}

ProjectSelection ProjectView::Selection() const
{
    ProjectSelection selection;
    for (QTreeWidgetItem* item : m_texts->selectedItems()) {
        if ((selection.text = m_project.FindText(item->data(0, Qt::UserRole).toUuid())))
            break;
    }
    QList<QTreeWidgetItem*> media = m_media->selectedItems();
    // The current item leads: it is the file the user acted on last.
    if (const qsizetype current = media.indexOf(m_media->currentItem()); current > 0)
        media.move(current, 0);
    for (QTreeWidgetItem* item : media) {
        if (const MediaFile* file = m_project.FindMedia(item->data(0, Qt::UserRole).toUuid()))
            selection.media.append(file);
    }
    const SubtitleSentences& shown = m_sentences->Sentences();
    if (!shown.Path().isEmpty()) {
        selection.subtitles.path = shown.Path();
        selection.subtitles.owner = OwnerOf(shown.Path());
        if (shown.Modified())
            selection.subtitles.edited = CaptionWriter::Build(shown.Captions(), CaptionWriter::Format::Srt);
    }
    return selection;
}

void ProjectView::SelectText(const QUuid& id)
{
    if (QTreeWidgetItem* item = TopItem(m_texts, id))
        m_texts->setCurrentItem(item);
}

void ProjectView::SelectMedia(const QList<QUuid>& ids)
{
    {
        // One hand-over for the whole selection, not one per file.
        const QSignalBlocker blocker(m_media);
        m_media->clearSelection();
        for (auto id = ids.crbegin(); id != ids.crend(); ++id) {
            if (QTreeWidgetItem* item = TopItem(m_media, *id))
                m_media->setCurrentItem(item, 0, QItemSelectionModel::Select);
        }
    }
    emit SelectionChanged();
}

void ProjectView::AddTextFromUser()
{
    bool accepted = false;
    const QString text = QInputDialog::getMultiLineText(this, kAddText, kNewTextPrompt, QString(), &accepted);
    if (accepted && !text.trimmed().isEmpty())
        SelectText(m_project.AddText(text));
}

void ProjectView::AddMediaFromUser()
{
    const QStringList paths = QFileDialog::getOpenFileNames(this, kAddMedia);
    QList<QUuid> added;
    for (const QString& path : paths)
        added.append(m_project.AddMedia(path));
    if (!added.isEmpty())
        SelectMedia(added);
}

void ProjectView::OnTextAdded(const QUuid& id)
{
    const TextObject* text = m_project.FindText(id);
    auto* item = new QTreeWidgetItem(m_texts, {Preview(text->text)});
    item->setData(0, Qt::UserRole, id);
    item->setToolTip(0, text->text);
}

void ProjectView::OnMediaAdded(const QUuid& id)
{
    const MediaFile* file = m_project.FindMedia(id);
    auto* item = new QTreeWidgetItem(m_media, {QFileInfo(file->path).fileName()});
    item->setData(0, Qt::UserRole, id);
    item->setToolTip(0, file->path);
}

void ProjectView::OnResultAttached(const QUuid& id, const ToolResult& result)
{
    QTreeWidgetItem* parent = TopItem(m_texts, id);
    const QString& kind = parent ? kAudioLabel : kSubtitlesLabel;
    if (!parent)
        parent = TopItem(m_media, id);
    if (!parent)
        return;
    auto* child = new QTreeWidgetItem(parent, {ResultLabel(kind, result)});
    // Results are shown, not selected: the selection is what the tools receive.
    child->setFlags(Qt::ItemIsEnabled);
    child->setToolTip(0, result.path);
    parent->setExpanded(true);
}

void ProjectView::OnBinAdded(const ToolResult& result)
{
    QString label = QStringLiteral("%1 · %2").arg(QFileInfo(result.path).fileName(), result.tool);
    if (const TextObject* owner = result.owner.isNull() ? nullptr : m_project.FindText(result.owner))
        label += kAttachedTo.arg(Preview(owner->text));
    else if (const MediaFile* media = result.owner.isNull() ? nullptr : m_project.FindMedia(result.owner))
        label += kAttachedTo.arg(QFileInfo(media->path).fileName());
    auto* item = new QListWidgetItem(label, m_bin);
    item->setToolTip(result.path);
    item->setData(Qt::UserRole, result.path);
    // A subtitle file that just arrived shows its sentences, unless it translates the sentences on
    // screen (it goes beside them) or the user is amid changes to others: a result arriving does
    // not interrupt them.
    if (QFileInfo(result.path).suffix().compare(kSubtitleSuffix, Qt::CaseInsensitive) == 0) {
        if (ShowAsTranslation(result))
            return;
        if (!m_sentences->Modified()) {
            m_bin->setCurrentItem(item);
            m_bin->scrollToItem(item);
        }
        return;
    }
    // Pictures are told apart by what they show.
    QImageReader reader(result.path);
    if (reader.canRead()) {
        const QSize size = reader.size().scaled(kThumbnailSize, Qt::KeepAspectRatio);
        if (size.isValid())
            reader.setScaledSize(size);
        const QImage thumbnail = reader.read();
        if (!thumbnail.isNull()) {
            item->setIcon(QIcon(QPixmap::fromImage(thumbnail)));
            // Beside a thumbnail the name and the tool each get a line of their own.
            item->setText(label.replace(QStringLiteral(" · "), QStringLiteral("\n")));
        }
    }
}

QTreeWidget* ProjectView::SentenceList() const
{
    return m_sentences->List();
}

void ProjectView::ShowSentences(const QString& path)
{
    const bool subtitles = QFileInfo(path).suffix().compare(kSubtitleSuffix, Qt::CaseInsensitive) == 0;
    m_sentencePane->setVisible(subtitles);
    m_sentences->Open(subtitles ? path : QString());
    if (subtitles) {
        // The latest translation of the file, if the bin holds one.
        const QList<ToolResult>& bin = m_project.Bin();
        for (auto result = bin.crbegin(); result != bin.crend(); ++result) {
            if (ShowAsTranslation(*result))
                break;
        }
    }
    // A track spoken from subtitles belongs with the media file the subtitles belong to.
    m_dubbing->SetSubtitles(subtitles ? path : QString(), OwnerOf(path));
}

QUuid ProjectView::OwnerOf(const QString& path) const
{
    QUuid owner;
    for (const ToolResult& result : m_project.Bin()) {
        if (result.path == path)
            owner = result.owner;
    }
    return owner;
}

bool ProjectView::ShowAsTranslation(const ToolResult& result)
{
    const QString& shown = m_sentences->Sentences().Path();
    // Translation edits not yet saved are not replaced by a file.
    if (m_translationTool.isEmpty() || result.tool != m_translationTool || shown.isEmpty() ||
        m_sentences->Translation().Modified() || result.owner != OwnerOf(shown))
        return false;
    return m_sentences->OpenTranslation(result.path);
}
