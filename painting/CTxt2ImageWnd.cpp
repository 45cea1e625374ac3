#include "painting/CTxt2ImageWnd.h"

#include "host/CI3Button.h"
#include "host/CQOVComboBox.h"
#include "host/CQOVContainWnd.h"
#include "host/CQOVDefUiSettings.h"
#include "host/CQOVPiecewiseLinearBar.h"
#include "host/CQOVRichEditCtrl.h"
#include "host/CZuBuffDisplayWnd.h"
#include "host/CZuEdit.h"
#include "host/CZuScrollBar.h"
#include "host/ContainItem.h"
#include "host/QOVMessage.h"
#include "host/QOVPaths.h"
#include "host/QOVStringTable.h"
#include "painting/PaintingChoices.h"
#include "painting/PaintingLayout.h"
#include "painting/PaintingStatus.h"
#include "painting/PaintingTask.h"
#include "painting/ReferencePreviewWnd.h"
#include "painting/StyleLibrary.h"
#include "ui/CVoiceSelCtrl.h"
#include "ui/SharedWindowState.h"
#include "ui/ToolControls.h"
#include "ui/WheelScrollsColumn.h"

#include <QFileDialog>
#include <QKeyEvent>
#include <QLabel>

namespace {

const char* const kBrowseTip = "选择参考图";
const char* const kRefreshTip = "重新显示本次生成的图片";
const char* const kSizeSliderTip = "缩略图大小";
const char* const kImageFilter = "Image File(*.jpg *.jpeg *.png *.bmp);;jpg file(*.jpg);;jpeg file(*.jpeg);;"
                                 "png file(*.png);;bmp file(*.bmp)";

constexpr int kHistoryRowHeight = 60;
constexpr int kRatioTileWidth = 70;
constexpr int kRatioTileHeight = 20;
constexpr int kStyleTileHeight = 60;
constexpr int kStylePictureHeight = 40;
constexpr int kTileGap = 5;

} // namespace

CTxt2ImageWnd::CTxt2ImageWnd(uint32_t hostMessage, QWidget* parent)
    : ToolWindow(hostMessage, parent)
    , m_column(this, PaintingLayout::kLineStep, PaintingLayout::kMinimumPage, [this] { return ContentHeight(); },
               [this] { LayOut(); })
    , m_historyOpener(ToolId::Painting, kHistoryRowHeight)
{
}

// The task under way stops with the window (ToolWindow) and shares nothing with it. The style
// tiles point at the pictures, but are not drawn again.
CTxt2ImageWnd::~CTxt2ImageWnd()
{
    m_thumbnails.Clear();
    StyleLibrary::Free(m_stylePictures);
}

CI3Button* CTxt2ImageWnd::Button(int id) const
{
    return ToolControls::Find<CI3Button>(this, id);
}

int CTxt2ImageWnd::ContentHeight() const
{
    return PaintingLayout::ContentHeight(width(), m_ratioHeight, m_styleHeight, m_reference.IsShown());
}

int CTxt2ImageWnd::OnCreate()
{
    CreateControls();
    new WheelScrollsColumn(this, [this](QWheelEvent* event) { m_column.Wheel(event); });
    m_thumbnails.Create(this, IdGrid, IdSizeSlider, kThumbnailItemMessage, SharedWindowState::Get().AddItemImage());
    connect(m_thumbnails.Grid(), &CQOVContainWnd::addClicked, this, [this](int, int index) { OnAddThumbnail(index); });
    m_thumbnails.Slider()->setToolTip(QString::fromUtf8(kSizeSliderTip));
    FillSelectors();
    SetOutputFolder(ZuGetPath(ZU_PATH_WORK) + QStringLiteral("/AIImage/"));
    ZuCreateDirectory(OutputFolder(), 0);
    m_generate->EnableWindow(false);
    return 0;
}

void CTxt2ImageWnd::CreateControls()
{
    ToolControls::Buttons(this, {{&m_generate, IdGenerate, "开始生成"}, {&m_browse, IdBrowse, "..."},
                                {&m_downloadFolder, IdDownloadFolder, "下载文件夹"}, {&m_history, IdHistory, "历史记录"},
                                {&m_refresh, IdRefresh, "刷新"}});
    m_downloadFolder->hide();
    m_browse->setToolTip(QString::fromUtf8(kBrowseTip));
    m_refresh->setToolTip(QString::fromUtf8(kRefreshTip));
    connect(m_generate, qOverload<int>(&CI3Button::clicked), this, [this] { OnGenerate(); });
    connect(m_browse, qOverload<int>(&CI3Button::clicked), this, [this] { OnBrowse(); });
    connect(m_downloadFolder, qOverload<int>(&CI3Button::clicked), this, [this] { OnChooseOutputFolder(); });
    connect(m_history, qOverload<int>(&CI3Button::clicked), this, [this] { m_historyOpener.Open(this); });
    connect(m_refresh, qOverload<int>(&CI3Button::clicked), this, [this] { ShowResults(); });

    m_descriptionLabel = ToolControls::Label(this, QString::fromUtf8("图片描述"));
    m_ratioLabel = ToolControls::Label(this, QString::fromUtf8("图片比例"));
    m_styleLabel = ToolControls::Label(this, QString::fromUtf8("图片风格"));
    m_countLabel = ToolControls::Label(this, QString::fromUtf8("生成个数"));
    m_referenceLabel = ToolControls::Label(this, QString::fromUtf8("参考图"));
    m_status = ToolControls::Label(this, QString(), Qt::AlignCenter);
    m_status->setWordWrap(true);
    SetStatusLabel(m_status);

    m_description = new CQOVRichEditCtrl(this, IdDescription);
    m_description->setAcceptRichText(false);
    m_description->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    connect(m_description, &CQOVRichEditCtrl::textChanged, this, [this] { UpdateStart(); });
    connect(m_description, &CQOVRichEditCtrl::focusLost, this, [this] { UpdateStart(); });

    m_ratios = new CBtnSelCtrl(this);
    m_ratios->Create(this, QRect(), IdRatios);
    m_styles = new CVoiceSelCtrl(this);
    m_styles->Create(this, QRect(), IdStyles);

    m_count = new CQOVComboBox(this, IdCount);
    m_referencePath = new CZuEdit(this, IdReferencePath);
    connect(m_referencePath, &CZuEdit::focusLost, this, [this] { OnReferencePathLeft(); });
    m_preview = new ReferencePreviewWnd(this);
    m_preview->hide();

    m_column.CreateBar(IdScrollBar);
}

void CTxt2ImageWnd::FillSelectors()
{
    m_ratios->SetTileSize(kRatioTileWidth, kTileGap, kRatioTileHeight);
    for (const PaintingChoices::Ratio& ratio : PaintingChoices::kRatios) {
        const QStringList sizes = PaintingChoices::SizesOf(ratio);
        m_ratios->AddGroup(QString::fromLatin1(ratio.name), &sizes, nullptr, -1);
    }
    // The first ratio with its first size.
    m_ratios->SelectGroup(0);

    for (int count = 1; count <= PaintingChoices::kMaxCount; ++count)
        m_count->InsertString(-1, QString::number(count));
    m_count->SetCurSel(PaintingChoices::kDefaultCountIndex);

    StyleLibrary::Read(StyleLibrary::Folder(), m_styleNames, m_stylePictures);
    for (qsizetype i = 0; i < m_styleNames.size(); ++i)
        m_styles->AddGroup(m_styleNames[i], nullptr, m_stylePictures[i], -1);
    m_styles->SetSelectedGroup(0);
    m_styles->SetTileSize(kRatioTileWidth, kTileGap, kStyleTileHeight);
    m_styles->SetPictureSize(kRatioTileWidth, kStylePictureHeight);
    m_styles->SetTextBelowPicture(true);
    m_styles->SetShowPlayIcon(false);
}

bool CTxt2ImageWnd::OnToolMessage(QOVMessageEvent* message)
{
    switch (message->Message()) {
    case CBtnSelCtrl::kContentHeightMessage:
        if (m_column.Bar())
            Reflow();
        return true;
    default:
        return false;
    }
}

bool CTxt2ImageWnd::PreTranslateMessage(QObject* target, QEvent* event)
{
    // Qt shows the controls' tool tips by itself. Escape would close the editor's panel; inside
    // the window's controls it does nothing. A dialog or pop-up the window opened keeps it, to close.
    if (event->type() != QEvent::KeyPress || static_cast<QKeyEvent*>(event)->key() != Qt::Key_Escape || target == this)
        return false;
    const auto* control = qobject_cast<const QWidget*>(target);
    return control && control->window() == window();
}

void CTxt2ImageWnd::UpdateStart()
{
    // A description is all a generation needs; one under way is replaced by the next start once
    // the service has made its task.
    m_generate->EnableWindow(!m_starting && !m_description->GetWindowTextW().trimmed().isEmpty());
}

void CTxt2ImageWnd::OnGenerate()
{
    // The edit separates lines with a bare line feed; the service and the task log expect the
    // editor's carriage return and line feed.
    QString description = m_description->GetWindowTextW();
    if (m_starting || description.trimmed().isEmpty())
        return;
    description.replace(QLatin1String("\r\n"), QLatin1String("\n")).replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    const QString reference = m_reference.Path();
    if (m_reference.Check() != ReferenceImageChoice::Unchanged) {
        ShowReference(ReferenceImageChoice::Gone, reference);
        return;
    }
    const int32_t count = int32_t(m_count->GetCurSel() + 1);
    int32_t width = 0;
    int32_t height = 0;
    PaintingChoices::ParseSize(m_ratios->GetSelectedText(), width, height);

    SetStatus(PaintingStatus::Generating());
    const int style = m_styles->GetSelectedGroup();
    if (style >= 0 && style < m_styleNames.size() && !m_styleNames[style].isEmpty())
        description += QStringLiteral("\r\n") + m_styleNames[style];
    m_starting = true;
    Run(std::make_unique<ServiceTask>(PaintingTask::Make(
            {description.toStdString(), OutputFolder().toStdString(), width, height, count, reference.toStdString()})),
        [this](int code, const QString&) {
            // Created: the button comes back with a new description, not by itself.
            if (code == PolledSteps::kCreated)
                m_starting = false;
            // The end says how the task ended; progress only how it goes.
            if (const QString text = PaintingStatus::ForProgress(code); !text.isEmpty())
                SetStatus(text);
        },
        [this](const TaskEnd& end) { OnEnded(end); });
}

void CTxt2ImageWnd::OnEnded(const TaskEnd& end)
{
    m_starting = false;
    UpdateStart();
    if (end.Succeeded()) {
        m_outcome = end.value.value<PaintingOutcome>();
        SetStatus(PaintingStatus::Generated());
        ShowResults();
    } else if (end.Failed()) {
        SetStatus(PaintingStatus::ForFailure(end.error.text));
    }
}

void CTxt2ImageWnd::ShowResults()
{
    QStringList passed;
    const std::vector<ImgRetData>& results = m_outcome.results;
    for (const ImgRetData& result : results) {
        if (QString::fromStdString(result.conclusion).compare(QLatin1String("pass"), Qt::CaseInsensitive) == 0)
            passed << QString::fromStdString(result.localPath);
    }
    if (passed.isEmpty()) {
        SetStatus(PaintingStatus::ForNoPassedImage(m_outcome.notes, !results.empty()));
        return;
    }
    if (const int missing = m_thumbnails.Show(passed); missing > 0)
        SetStatus(PaintingStatus::ForMissingImages(missing));
}

QString CTxt2ImageWnd::ChooseReferenceImage()
{
    return QFileDialog::getOpenFileName(this, ZuLoadString(QStringLiteral("LANG_OPEN_PGM")), QString(),
                                        QString::fromUtf8(kImageFilter));
}

void CTxt2ImageWnd::OnBrowse()
{
    const QString path = ChooseReferenceImage();
    ShowReference(m_reference.Choose(path), path);
}

void CTxt2ImageWnd::OnReferencePathLeft()
{
    const QString typed = m_referencePath->GetWindowTextW().trimmed();
    ShowReference(m_reference.EditLeft(typed), typed);
}

void CTxt2ImageWnd::ShowReference(ReferenceImageChoice::Outcome outcome, const QString& path)
{
    if (outcome == ReferenceImageChoice::Unchanged)
        return;
    // A new choice clears what the status said of an earlier one, but not a generation's news.
    if (outcome == ReferenceImageChoice::Chosen && !IsBusy())
        SetStatus(QString());
    else if (const QString text = PaintingStatus::ForReference(outcome, path); !text.isNull())
        SetStatus(text);
    m_referencePath->SetWindowTextW(m_reference.Path());
    m_referencePath->setToolTip(m_reference.Path());
    m_preview->SetDisplayBuffer(m_reference.IsShown() ? &m_reference.Picture() : nullptr);
    m_preview->setVisible(m_reference.IsShown());
    Reflow();
}

void CTxt2ImageWnd::OnAddThumbnail(int index)
{
    // The "+" on a thumbnail hands its image to the editor as the history hands an entry's files.
    const QList<ContainItem*>& items = m_thumbnails.Items();
    if (index >= 0 && index < items.size())
        SendFiles(items[index]->path + QLatin1Char('|'));
}

void CTxt2ImageWnd::OnSize(int, int, int)
{
    if (m_column.Bar())
        Reflow();
}

void CTxt2ImageWnd::Reflow()
{
    const int selectorWidth = PaintingLayout::SelectorWidth(width());
    m_ratioHeight = m_ratios->Layout(selectorWidth, false);
    m_styleHeight = m_styles->Layout(selectorWidth, false);
    m_column.Update();
    LayOut();
}

void CTxt2ImageWnd::wheelEvent(QWheelEvent* event)
{
    m_column.Wheel(event);
}

void CTxt2ImageWnd::LayOut()
{
    const PaintingLayout l =
        PaintingLayout::For(size(), m_ratioHeight, m_styleHeight, m_column.Offset(), m_reference.IsShown());
    m_descriptionLabel->setGeometry(l.descriptionLabel);
    m_description->setGeometry(l.description);
    m_ratioLabel->setGeometry(l.ratioLabel);
    m_ratios->setGeometry(l.ratios);
    m_styleLabel->setGeometry(l.styleLabel);
    m_styles->setGeometry(l.styles);
    m_countLabel->setGeometry(l.countLabel);
    m_count->setGeometry(l.count);
    m_downloadFolder->setGeometry(l.downloadFolder);
    m_referenceLabel->setGeometry(l.referenceLabel);
    m_referencePath->setGeometry(l.referencePath);
    m_browse->setGeometry(l.browse);
    if (m_reference.IsShown())
        m_preview->setGeometry(l.preview);
    m_generate->setGeometry(l.generate);
    m_status->setGeometry(l.status);
    m_history->setGeometry(l.history);
    m_refresh->setGeometry(l.refresh);
    m_thumbnails.Slider()->setGeometry(l.sizeSlider);
    m_thumbnails.Grid()->setGeometry(l.grid);
    m_column.Bar()->setGeometry(l.scrollBar);
}
