#include "apps/studio/StudioWindow.h"

#include "apps/studio/ExportDialog.h"
#include "apps/studio/MediaPreview.h"
#include "apps/studio/ProjectView.h"
#include "apps/studio/SentenceEditor.h"
#include "apps/studio/SrtDubbingPanel.h"
#include "apps/studio/SampleProject.h"
#include "apps/studio/ToolHost.h"
#include "apps/studio/ToolPanel.h"
#include "host/QOVPaths.h"

#include <QCloseEvent>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QSplitter>
#include <QStatusBar>
#include <QVBoxLayout>

namespace {

const QString kTitle = QStringLiteral("QOV Studio");
const QString kToolsTitle = QStringLiteral("AI 工具");
const QString kModuleStatus = QStringLiteral("模块：%1 · %2 个工具");
const QString kFileMenu = QStringLiteral("文件");
const QString kOpenSample = QStringLiteral("打开示例");
const QString kSampleOpened = QStringLiteral("示例已打开：两段文本和一段英文视频");
constexpr int kSideWidth = 200;
constexpr int kProjectWidth = 300;
// The preview under the tool's window, once there is something to play.
constexpr int kPreviewHeight = 360;
const QString kSubtitleSuffix = QStringLiteral("srt");
// The window opens at the size the screenshots are taken at.
constexpr QSize kDefaultSize(1280, 800);

} // namespace

StudioWindow::StudioWindow(ModuleEntry module, const QString& modulePath, QWidget* parent)
    : QMainWindow(parent)
    , m_module(std::move(module))
    , m_inbox(m_project)
    , m_panel(new ToolPanel)
    , m_view(new ProjectView(m_project))
    , m_preview(new MediaPreview)
    , m_sample(new SampleProject(m_project, this))
{
    setWindowTitle(kTitle);
    resize(kDefaultSize);
    m_host = std::make_unique<ToolHost>(m_module, *m_panel, m_inbox);
    m_view->Dubbing().SetToolName(m_host->Name(ToolId::Dubbing));
    m_view->SetTranslationTool(m_host->Name(ToolId::Translation));
    // Tool windows report to the window they were given and sometimes to the top-level window.
    m_panel->installEventFilter(&m_inbox);
    installEventFilter(&m_inbox);

    auto* splitter = new QSplitter(Qt::Horizontal);
    splitter->setChildrenCollapsible(false);
    splitter->addWidget(MakeToolSide());
    auto* middle = new QSplitter(Qt::Vertical);
    middle->setChildrenCollapsible(false);
    middle->addWidget(m_panel);
    middle->addWidget(m_preview);
    middle->setStretchFactor(0, 1);
    middle->setSizes({kDefaultSize.height() - kPreviewHeight, kPreviewHeight});
    m_preview->hide();
    splitter->addWidget(middle);
    splitter->addWidget(m_view);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({kSideWidth, kDefaultSize.width() - kSideWidth - kProjectWidth, kProjectWidth});
    setCentralWidget(splitter);
    statusBar()->showMessage(kModuleStatus.arg(modulePath, QString::number(m_host->Tools().size())));

    connect(m_view, &ProjectView::SelectionChanged, this, [this] { m_host->HandOver(m_view->Selection()); });
    // The subtitle file chosen in the bin and its edits reach only a tool that takes them.
    const auto handSubtitles = [this] {
        if (m_host->TakesSubtitles())
            m_host->HandOver(m_view->Selection());
    };
    connect(m_view, &ProjectView::BinChosen, this, handSubtitles);
    connect(&m_view->Sentences(), &SentenceEditor::SentencesChanged, this, handSubtitles);
    connect(m_sample, &SampleProject::Finished, this, [this](bool complete, const QString& message) {
        statusBar()->showMessage(complete ? kSampleOpened : message);
    });
    connect(m_view, &ProjectView::ExportRequested, this, &StudioWindow::OpenExport);
    MakeMenu();
    ConnectPreview();
}

ExportDialog* StudioWindow::Export() const
{
    return m_export;
}

void StudioWindow::OpenExport()
{
    const ProjectSelection selection = m_view->Selection();
    if (selection.media.isEmpty())
        return;
    if (m_export)
        m_export->close();
    m_export = new ExportDialog(m_project, *selection.media.first(), this);
    m_export->setAttribute(Qt::WA_DeleteOnClose);
    // The video made lands in the media list and plays with its captions.
    connect(m_export, &ExportDialog::Exported, this, [this](const QString& path, const QStringList& subtitles) {
        m_view->SelectMedia({m_project.AddMedia(path)});
        if (!subtitles.isEmpty() && MediaPreview::Plays(path)) {
            m_preview->Open(path, subtitles.first());
            m_preview->show();
        }
    });
    m_export->show();
}

void StudioWindow::ConnectPreview()
{
    connect(m_view, &ProjectView::SelectionChanged, this, &StudioWindow::PreviewSelection);
    // An audio result chosen in the bin plays by itself; its text object has no subtitles.
    connect(m_view, &ProjectView::BinChosen, this, [this](const QString& path) {
        if (MediaPreview::Plays(path) && path != m_preview->Path()) {
            m_preview->Open(path, QString());
            m_preview->show();
        }
    });
    SentenceEditor& sentences = m_view->Sentences();
    connect(&sentences, &SentenceEditor::SentencesChanged, this, [this, &sentences](const QString& path) {
        m_preview->SetCaptions(path, sentences.Sentences().Captions());
    });
    connect(&sentences, &SentenceEditor::TranslationChanged, this, [this, &sentences](const QString& path) {
        const std::vector<Caption>& translation = sentences.Translation().Captions();
        if (!translation.empty() && m_preview->SubtitlesPath() != path)
            PreviewSubtitlesOf(path);
        m_preview->SetTranslation(path, translation);
    });
    connect(&sentences, &SentenceEditor::SeekRequested, this, [this, &sentences](qint64 milliseconds) {
        if (m_preview->SubtitlesPath() != sentences.Sentences().Path())
            PreviewSubtitlesOf(sentences.Sentences().Path());
        m_preview->Seek(milliseconds);
    });
    // A track made for the file being previewed can be heard at once.
    connect(&m_project, &StudioProject::BinAdded, this, [this](const ToolResult& result) {
        const MediaFile* media = result.owner.isNull() ? nullptr : m_project.FindMedia(result.owner);
        if (media && media->path == m_preview->Path() && ResultInbox::IsAudio(result.path))
            m_preview->SetTracks(TracksOf(media->id));
    });
    // Subtitles that arrive for the file being previewed are drawn at once; a translation is drawn
    // with the sentences it translates, once they show it.
    connect(&m_project, &StudioProject::ResultAttached, this, [this](const QUuid& id, const ToolResult& result) {
        if (result.tool == m_host->Name(ToolId::Translation))
            return;
        const MediaFile* media = m_project.FindMedia(id);
        if (media && media->path == m_preview->Path() &&
            QFileInfo(result.path).suffix().compare(kSubtitleSuffix, Qt::CaseInsensitive) == 0)
            m_preview->Open(media->path, result.path);
    });
}

QStringList StudioWindow::TracksOf(const QUuid& media) const
{
    QStringList tracks;
    for (const ToolResult& result : m_project.Bin()) {
        if (result.owner == media && ResultInbox::IsAudio(result.path))
            tracks << result.path;
    }
    return tracks;
}

void StudioWindow::PreviewSelection()
{
    const ProjectSelection selection = m_view->Selection();
    if (selection.media.isEmpty() || !MediaPreview::Plays(selection.media.first()->path))
        return;
    const MediaFile& media = *selection.media.first();
    QString subtitles = media.subtitles.isEmpty() ? QString() : media.subtitles.last().path;
    // The sentences on screen, when they are the file's, are what the preview follows.
    const SentenceEditor& sentences = m_view->Sentences();
    for (const ToolResult& result : media.subtitles) {
        if (result.path == sentences.Sentences().Path())
            subtitles = result.path;
    }
    if (media.path != m_preview->Path() || subtitles != m_preview->SubtitlesPath()) {
        m_preview->Open(media.path, subtitles);
        m_preview->SetTranslation(subtitles, sentences.Translation().Captions());
        m_preview->SetTracks(TracksOf(media.id));
    }
    m_preview->show();
}

void StudioWindow::PreviewSubtitlesOf(const QString& subtitles)
{
    for (const MediaFile& media : m_project.Media()) {
        for (const ToolResult& result : media.subtitles) {
            if (result.path == subtitles) {
                m_preview->Open(media.path, subtitles);
                // The sentences on screen, edits and translation included, rather than the file.
                const SentenceEditor& sentences = m_view->Sentences();
                if (sentences.Sentences().Path() == subtitles) {
                    m_preview->SetCaptions(subtitles, sentences.Sentences().Captions());
                    m_preview->SetTranslation(subtitles, sentences.Translation().Captions());
                }
                m_preview->show();
                return;
            }
        }
    }
}

void StudioWindow::OpenSample()
{
    m_sample->Open(ZuGetPath(ZU_PATH_WORK));
}

void StudioWindow::MakeMenu()
{
    QMenu* file = menuBar()->addMenu(kFileMenu);
    file->addAction(kOpenSample, this, &StudioWindow::OpenSample);
}

StudioWindow::~StudioWindow()
{
    // Before the panel (and any tool window in it) goes with the widget tree.
    m_host->Shutdown();
}

void StudioWindow::ChooseTool(int row)
{
    if (row < 0)
        m_toolList->clearSelection();
    else
        m_toolList->setCurrentRow(row);
}

void StudioWindow::closeEvent(QCloseEvent* event)
{
    if (!m_view->Sentences().ConfirmLeave()) {
        event->ignore();
        return;
    }
    m_host->Shutdown();
    QMainWindow::closeEvent(event);
}

QWidget* StudioWindow::MakeToolSide()
{
    auto* side = new QWidget;
    side->setObjectName(QStringLiteral("toolSide"));
    auto* title = new QLabel(kToolsTitle);
    title->setObjectName(QStringLiteral("sectionTitle"));
    m_toolList = new QListWidget;
    m_toolList->setObjectName(QStringLiteral("toolList"));
    for (const AIGCToolInfo& tool : m_host->Tools())
        m_toolList->addItem(tool.displayName);
    // Selection, not the current row: focusing the list makes a row current without the user
    // having chosen a tool.
    connect(m_toolList, &QListWidget::itemSelectionChanged, this, [this] {
        const QList<QListWidgetItem*> chosen = m_toolList->selectedItems();
        m_host->Open(chosen.isEmpty() ? -1 : m_toolList->row(chosen.first()), m_view->Selection());
    });

    auto* layout = new QVBoxLayout(side);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->addWidget(title);
    layout->addWidget(m_toolList);
    return side;
}
