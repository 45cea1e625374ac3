#include "copywriting/CCopywritingWnd.h"

#include "copywriting/CopywritingLayout.h"
#include "copywriting/CopywritingTask.h"
#include "service/ServiceTask.h"
#include "host/CI3Button.h"
#include "host/CI3ButtonRanges.h"
#include "host/CQOVComboBox.h"
#include "host/CQOVDefUiSettings.h"
#include "host/CQOVReadFile.h"
#include "host/CQOVRichEditCtrl.h"
#include "host/QOVMessage.h"
#include "host/QOVPaths.h"
#include "host/QOVProfile.h"
#include "host/QOVStringTable.h"
#include "service/AigcSettings.h"
#include "ui/ToolControls.h"

#include <QFileDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>

#include <algorithm>

namespace {

constexpr int kDefaultFontSize = 10;
constexpr int kHistoryRowHeight = 60;
const char* const kEmptyTopic = "请输入内容！";

} // namespace

CCopywritingWnd::CCopywritingWnd(uint32_t hostMessage, QWidget* parent)
    : ToolWindow(hostMessage, parent)
    , m_historyOpener(ToolId::Copywriting, kHistoryRowHeight)
{
}

// The task stops its generation without waiting for it: the worker holds only its own copies, and
// nothing it reports reaches a window that has gone.
CCopywritingWnd::~CCopywritingWnd() = default;

const QStringList& CCopywritingWnd::FontSizes()
{
    static const QStringList sizes{QStringLiteral("8"),  QStringLiteral("9"),  QStringLiteral("10"), QStringLiteral("11"),
                                   QStringLiteral("12"), QStringLiteral("14"), QStringLiteral("16"), QStringLiteral("18"),
                                   QStringLiteral("20"), QStringLiteral("22"), QStringLiteral("24"), QStringLiteral("26"),
                                   QStringLiteral("28"), QStringLiteral("36"), QStringLiteral("48"), QStringLiteral("72")};
    return sizes;
}

CI3Button* CCopywritingWnd::Button(int id) const
{
    return ToolControls::Find<CI3Button>(this, id);
}

int CCopywritingWnd::OnCreate()
{
    m_topicLabel = ToolControls::Label(this, QStringLiteral("输入话题"));
    m_fontSizeLabel = ToolControls::Label(this, QStringLiteral("字号"));
    ToolControls::Buttons(this, {{&m_start, IdStart, "开始写作"},
                                {&m_export, IdExport, "文案导出"},
                                {&m_putOnTrack, IdPutOnTrack, "文稿上轨"},
                                {&m_history, IdHistory, "历史记录"}});
    CI3ButtonRanges::Apply(m_start, 1);
    connect(m_start, qOverload<int>(&CI3Button::clicked), this, [this] { OnStart(); });
    connect(m_export, qOverload<int>(&CI3Button::clicked), this, [this] { OnExport(); });
    connect(m_putOnTrack, qOverload<int>(&CI3Button::clicked), this, [this] { OnPutOnTrack(); });
    connect(m_history, qOverload<int>(&CI3Button::clicked), this, [this] { m_historyOpener.Open(this); });

    const int size = GetPrivateProfileIntW(QStringLiteral("Copywriting"), QStringLiteral("FontSize"), kDefaultFontSize,
                                           AigcSettingsPath());
    m_topic = new CQOVRichEditCtrl(this, IdTopic);
    m_output = new CQOVRichEditCtrl(this, IdOutput);
    m_font = CQOVDefUiSettings::GetDefUiSettings().defaultFont;
    if (size != kDefaultFontSize && size > 0) {
        QFont sized = m_font;
        sized.setPointSize(size);
        m_topic->SetFont(sized);
        m_output->SetFont(sized);
    }

    m_fontSizes = new CQOVComboBox(this, IdFontSize);
    for (const QString& entry : FontSizes())
        m_fontSizes->InsertString(-1, entry);
    const int index = int(FontSizes().indexOf(QString::number(size)));
    m_fontSizeIndex = size != kDefaultFontSize && index >= 0 ? index : 2;
    m_fontSizes->SetCurSel(m_fontSizeIndex);
    connect(m_fontSizes, &CQOVComboBox::selectionChanged, this, [this] { OnFontSize(); });

    SetOutputFolder(ZuGetPath(ZU_PATH_WORK) + QStringLiteral("/Copywriting/"));
    ZuCreateDirectory(OutputFolder(), 0);
    m_export->EnableWindow(false);
    m_putOnTrack->EnableWindow(false);
    return 0;
}

void CCopywritingWnd::OnSize(int, int cx, int cy)
{
    if (!m_topic)
        return;
    const CopywritingLayout layout = CopywritingLayout::For(cx, cy);
    m_topicLabel->setGeometry(layout.topicLabel);
    m_topic->setGeometry(layout.topic);
    m_start->setGeometry(layout.start);
    m_history->setGeometry(layout.history);
    m_output->setGeometry(layout.output);
    m_fontSizes->setGeometry(layout.fontSize);
    m_fontSizeLabel->setGeometry(layout.fontSizeLabel);
    m_putOnTrack->setGeometry(layout.putOnTrack);
    m_export->setGeometry(layout.exportText);
}

bool CCopywritingWnd::PreTranslateMessage(QObject* target, QEvent* event)
{
    // Escape would close the editor's panel; inside the window's controls it does nothing.
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape)
        return target != this;
    return false;
}

void CCopywritingWnd::ShowMessage(const QString& text)
{
    QMessageBox::information(this, QString(), text, QMessageBox::Ok);
}

QString CCopywritingWnd::ChooseExportPath()
{
    static const QString title = ZuLoadString(QStringLiteral("GLOBAL_FILE_SAVE"));
    QFileDialog dialog(this, title, QString(), QStringLiteral("Txt File (*.txt)"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("txt"));
    dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().front();
}

void CCopywritingWnd::OnStart()
{
    const QString topic = m_topic->GetWindowTextW();
    if (topic.isEmpty()) {
        ShowMessage(QString::fromUtf8(kEmptyTopic));
        return;
    }
    // The token and the request both run on the task's worker: the window only waits for the end.
    Run(std::make_unique<ServiceTask>(CopywritingTask::Make(topic, OutputFolder())), nullptr,
        [this](const TaskEnd& end) { OnGenerated(end); });
}

void CCopywritingWnd::UpdateStart()
{
    m_start->EnableWindow(!IsBusy());
}

void CCopywritingWnd::OnGenerated(const TaskEnd& end)
{
    if (end.Succeeded()) {
        const CopywritingTask::Result result = CopywritingTask::ResultOf(end);
        m_generatedPath = result.path;
        m_output->SetWindowTextW(result.text);
        m_export->EnableWindow(true);
        m_putOnTrack->EnableWindow(true);
    } else if (end.Failed() && end.error.code != CopywritingTask::kNoToken) {
        // Without a token the start button comes back, and nothing is said.
        ShowMessage(end.error.text);
    }
}

void CCopywritingWnd::OnFontSize()
{
    const int index = m_fontSizes->GetCurSel();
    if (index < 0)
        return;
    m_fontSizeIndex = index;
    QString entry;
    m_fontSizes->GetLBText(index, entry);
    m_font.setPixelSize(std::max(1, FontPixelHeight(logicalDpiY(), entry.toInt())));
    const QString topic = m_topic->GetWindowTextW();
    const QString output = m_output->GetWindowTextW();
    for (CQOVRichEditCtrl* edit : {m_topic, m_output}) {
        edit->SetWindowTextW(QString());
        edit->SetFont(m_font);
        edit->SetRichTextColor(CQOVDefUiSettings::GetDefUiSettings().text);
    }
    m_topic->SetWindowTextW(topic);
    m_output->SetWindowTextW(output);
}

void CCopywritingWnd::OnExport()
{
    const QString path = ChooseExportPath();
    if (path.isEmpty())
        return;
    CQOVReadFile file;
    if (!file.Open(path, CQOVReadFile::ModeWrite))
        return;
    file.WriteString(m_output->GetWindowTextW());
    file.Close();
}

void CCopywritingWnd::OnPutOnTrack()
{
    // The editor gets the file the shown generation wrote, not the text as edited since, and not
    // the file of a generation still running.
    SendFiles(m_generatedPath);
}
