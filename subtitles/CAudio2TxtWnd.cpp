#include "subtitles/CAudio2TxtWnd.h"

#include "host/CI3Button.h"
#include "host/CQOVComboBox.h"
#include "host/CZuTabCtrl.h"
#include "host/QOVFileName.h"
#include "host/QOVMessage.h"
#include "host/QOVPaths.h"
#include "host/QOVStringTable.h"
#include "service/ModuleHandles.h"
#include "subtitles/CSetUserInfoDlg.h"
#include "subtitles/SubtitlesLayout.h"
#include "subtitles/SubtitleNotice.h"
#include "subtitles/SubtitlesSource.h"
#include "ui/SharedWindowState.h"
#include "ui/ToolControls.h"

#include <QFileInfo>
#include <QLabel>
#include <QMessageBox>
#include <QPainter>

namespace {

const char* const kSelectedCaption = "选中的音频文件：";
const char* const kSelectedFormat = "选中的音频文件：\n%1";
const char* const kNothingSelected = "未选中任何音频文件，识别功能不可用！";
const char* const kCreatingTask = "生成任务中";
const char* const kNoAccount = "语音转写用户信息为空";
const char* const kRestartQuestionKey = "转写已成功，是否重新转写？";

// The engines, one per tab.
constexpr int kTranscriptionEngine = 0;
constexpr int kCloudEngine = 1;
constexpr int kHistoryRowHeight = 60;

} // namespace

CAudio2TxtWnd::CAudio2TxtWnd(uint32_t hostMessage, QWidget* parent)
    : ToolWindow(hostMessage, parent)
    , m_historyOpener(ToolId::Subtitles, kHistoryRowHeight)
{
}

// Each task stops its run as it goes: the requests under way are cancelled, so none is waited out.
CAudio2TxtWnd::~CAudio2TxtWnd()
{
    m_manager.Clear();
}

CI3Button* CAudio2TxtWnd::Button(int id) const
{
    return ToolControls::Find<CI3Button>(this, id);
}

int CAudio2TxtWnd::OnCreate()
{
    CreateControls();
    // The module's images are registered by the state every tool window shares.
    SharedWindowState::Get();
    m_picture.CreateFromImageResource(QOVGetAIGCDllResHandle(), kPictureId, QStringLiteral("PNG"));
    SetOutputFolder(ZuGetPath(ZU_PATH_WORK) + QStringLiteral("/AITxt/"));
    ZuCreateDirectory(OutputFolder(), 0);
    m_manager.SetRecvWndMsg(this, kProgressMessage);
    LayOut();
    return 0;
}

void CAudio2TxtWnd::CreateControls()
{
    m_tab = new CZuTabCtrl(this, IdTab);
    m_tab->InsertItem(-1, QStringLiteral(" 识别A "));
    m_tab->InsertItem(-1, QStringLiteral(" 识别B "));
    connect(m_tab, &CZuTabCtrl::selectionChanged, this, [this] { OnTabChanged(); });

    ToolControls::Buttons(this, {{&m_start, IdStart, "开始识别"}, {&m_history, IdHistory, "历史记录"},
                                {&m_user, IdUser, "语音转写用户"}});
    m_start->EnableWindow(false);
    connect(m_start, qOverload<int>(&CI3Button::clicked), this, [this] { OnStart(); });
    connect(m_history, qOverload<int>(&CI3Button::clicked), this, [this] { m_historyOpener.Open(this); });
    connect(m_user, qOverload<int>(&CI3Button::clicked), this, [this] { OnUserInfo(); });

    m_modelLabel = ToolControls::Label(this, QStringLiteral("识别模型"), Qt::AlignCenter);
    m_model = new CQOVComboBox(this, IdModel);
    for (const char* item : {"中文语音近场识别模型极速版", "中文音视频字幕模型", "英文模型"})
        m_model->InsertString(-1, QString::fromUtf8(item));
    m_model->SetCurSel(0);
    m_modelLabel->hide();
    m_model->hide();

    m_status = ToolControls::Label(this, QString(), Qt::AlignCenter);
    m_status->setWordWrap(true);
    SetStatusLabel(m_status);
    m_selectedFile = ToolControls::Label(this, QString::fromUtf8(kSelectedCaption), Qt::AlignLeft | Qt::AlignTop);
    m_selectedFile->setWordWrap(true);
}

void CAudio2TxtWnd::OnSize(int, int, int)
{
    if (m_tab)
        LayOut();
}

void CAudio2TxtWnd::LayOut()
{
    const SubtitlesLayout l = SubtitlesLayout::For(size());
    m_tab->setGeometry(l.tab);
    m_modelLabel->setGeometry(l.modelLabel);
    m_model->setGeometry(l.model);
    m_user->setGeometry(l.userButton);
    m_start->setGeometry(l.start);
    m_status->setGeometry(l.status);
    m_history->setGeometry(l.history);
    m_selectedFile->setGeometry(l.selectedFile);
    update();
}

void CAudio2TxtWnd::OnDraw(QPainter& painter)
{
    CQOVBaseWnd::OnDraw(painter);
    m_picture.StretchBltToDC(&painter, SubtitlesLayout::For(size()).picture, QRect(), 0);
}

void CAudio2TxtWnd::OnTabChanged()
{
    m_engine = m_tab->GetCurSel() == kCloudEngine ? kCloudEngine : kTranscriptionEngine;
    const bool cloud = m_engine == kCloudEngine;
    m_modelLabel->setVisible(cloud);
    m_model->setVisible(cloud);
    m_user->setVisible(!cloud);
}

void CAudio2TxtWnd::SetSelection(const QString& path, const QUuid& selectedObject,
                                 const QHash<QString, QString>* properties)
{
    m_selectedPath = path;
    m_selectedVideoPath = SubtitlesSource::IsVideo(path) ? path : QString();
    m_selectedObject = selectedObject;
    m_extraSources = properties ? *properties : QHash<QString, QString>();
    m_selectedFile->setText(path.isEmpty() ? QString::fromUtf8(kNothingSelected)
                                           : QString::fromUtf8(kSelectedFormat).arg(ZuGetFileName(path)));
    const WaveTransSrt* task =
        m_manager.FindData(path, m_selectedVideoPath.isEmpty() ? 1 : 0, kRangeStart, kRangeEnd);
    SetStatus(task ? task->GetState() : QString());
    m_start->EnableWindow(!path.isEmpty() && QFileInfo::exists(path));
}

bool CAudio2TxtWnd::AskYesNo(const QString& question)
{
    return QMessageBox::question(this, QString(), question, QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

int CAudio2TxtWnd::RunUserInfoDialog(CSetUserInfoDlg& dialog)
{
    return dialog.DoModal();
}

void CAudio2TxtWnd::OnStart()
{
    const int32_t model = SubtitlesSource::ModelForChoice(m_model->GetCurSel());
    const int isAudio = m_selectedVideoPath.isEmpty() ? 1 : 0;
    if (WaveTransSrt* task = m_manager.FindData(m_selectedPath, isAudio, kRangeStart, kRangeEnd)) {
        const int state = task->GetStateCode();
        if (state == WaveTransSrt::StateFailed ||
            (state == WaveTransSrt::StateFinished && AskYesNo(ZuLoadString(QString::fromUtf8(kRestartQuestionKey))))) {
            SetStatus(QString::fromUtf8(kCreatingTask));
            SetBusy(true);
            task->StartTranslateOnRun(true);
        } else if (state != WaveTransSrt::StateFinished) {
            SetStatus(task->GetState());
        }
    } else {
        SetBusy(true);
        task = m_manager.AddWave(m_engine, m_selectedPath, isAudio, kRangeStart, kRangeEnd, m_selectedObject, model);
        if (!task) {
            // The transcription engine has no account to work with.
            SetBusy(false);
            SetStatus(QString::fromUtf8(kNoAccount));
        } else {
            SetStatus(QString::fromUtf8(kCreatingTask));
            StartNew(task, isAudio != 0);
        }
    }
    StartExtraSources(model);
}

void CAudio2TxtWnd::StartNew(WaveTransSrt* task, bool isAudio)
{
    // The extraction runs on the task pool; the task reports its end, a failed one included.
    if (!isAudio)
        m_manager.StartTranslate(task);
    else
        task->StartTranslateOnRun(false);
}

void CAudio2TxtWnd::StartExtraSources(int32_t model)
{
    for (auto source = m_extraSources.constBegin(); source != m_extraSources.constEnd(); ++source) {
        const int isAudio = SubtitlesSource::IsVideo(source.key()) ? 0 : 1;
        if (m_manager.FindData(source.key(), isAudio, kRangeStart, kRangeEnd))
            continue;
        const QUuid object = SubtitlesSource::ObjectIdFromText(source.value());
        if (WaveTransSrt* task =
                m_manager.AddWave(m_engine, source.key(), isAudio, kRangeStart, kRangeEnd, object, model))
            StartNew(task, isAudio != 0);
    }
}

bool CAudio2TxtWnd::OnToolMessage(QOVMessageEvent* message)
{
    if (message->Message() != kProgressMessage)
        return false;
    OnProgress(int(intptr_t(message->WParam())), reinterpret_cast<WaveTransSrt*>(message->LParam()));
    return true;
}

bool CAudio2TxtWnd::IsSelected(const WaveTransSrt& task) const
{
    return task.GetAudioPath() == m_selectedPath ||
           (!m_selectedVideoPath.isEmpty() && task.GetMediaPath() == m_selectedVideoPath);
}

void CAudio2TxtWnd::OnProgress(int code, WaveTransSrt* task)
{
    // The task travelled as a number: only one the manager still holds is touched.
    if (!task || !m_manager.Tasks().contains(task))
        return;
    if (code == WaveTransSrt::NotifyFinished)
        SendFiles(task->GetObjectId(), task->GetSrtPath());
    // Only the task's own notifications, 1 to 6, change what the window shows.
    if (!IsSelected(*task) || code < WaveTransSrt::NotifyAudioExtracted || code > WaveTransSrt::NotifyFinished)
        return;
    // A start that made no task says what failed in the task's own words.
    const bool startFailed = code == WaveTransSrt::NotifyFailed && task->StartFailed();
    SetStatus(startFailed ? task->GetState() : SubtitleNoticeText(code, *task));
    if (code == WaveTransSrt::NotifyExtractionFailed || code == WaveTransSrt::NotifyFailed ||
        code == WaveTransSrt::NotifyFinished)
        SetBusy(false);
}

void CAudio2TxtWnd::UpdateStart()
{
    m_start->EnableWindow(!IsBusy());
}

std::optional<QUuid> CAudio2TxtWnd::EntryObject(const QString& source) const
{
    return source == m_selectedPath ? m_selectedObject : QUuid();
}

void CAudio2TxtWnd::OnUserInfo()
{
    CSetUserInfoDlg dialog(this);
    dialog.m_userId = m_manager.GetUserID();
    dialog.m_key = m_manager.GetUserKey();
    if (RunUserInfoDialog(dialog) == QDialog::Accepted)
        m_manager.SetUserIDandKey(dialog.m_userId, dialog.m_key);
}
