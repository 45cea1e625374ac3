#include "dubbing/CTxt2AudioWnd.h"

#include "dubbing/CTxt2AudioNetOper.h"
#include "dubbing/CTxt2AudioShortNetOper.h"
#include "dubbing/DubbingFileName.h"
#include "dubbing/DubbingLayout.h"
#include "dubbing/LongSpeechTask.h"
#include "dubbing/SamplePlayer.h"
#include "dubbing/ShortSpeechTask.h"
#include "dubbing/VoiceInfo.h"
#include "dubbing/VoiceLibrary.h"
#include "host/CI3Button.h"
#include "host/CI3ButtonRanges.h"
#include "host/CNLESlider.h"
#include "host/CQOVComboBox.h"
#include "host/CQOVDefUiSettings.h"
#include "host/CZuScrollBar.h"
#include "host/QOVMessage.h"
#include "host/QOVPaths.h"
#include "service/ModuleHandles.h"
#include "ui/CVoiceSelCtrl.h"
#include "ui/SharedWindowState.h"
#include "ui/ToolControls.h"
#include "ui/WheelScrollsColumn.h"

#include <QLabel>

#include <algorithm>

namespace {

const char* const kSelectedCaption = "选中的文字内容：";
const char* const kSelectedFormat = "选中的文字内容：\n%1";
const char* const kNothingSelected = "未选中任何文字物件，转换功能不可用！";
const char* const kLongTextHint = "文本长度超过512,请使用音库中后4个声音！";
const char* const kGenerating = "生成中，请稍候...";
const char* const kGenerated = "生成成功！";
const char* const kGenerationFailed = "生成失败！";
const char* const kTaskFailed = "生成任务失败！";
const char* const kNetworkProblem = "网络存在问题";

constexpr int kHistoryRowHeight = 40;
constexpr int kLevelMax = 15;
constexpr int kLaterVolumeMax = 9;
constexpr int kDefaultLevel = 5;
constexpr int kScrollBarId = 1010;
// The module's images the grid draws with: play icon, second icon, tile and selected tile.
constexpr int kGridImages[] = {2003, 2004, 2005, 2006};

// The two output types, in the order of the list.
struct OutputType
{
    const char* name;
    int aue;
};
const OutputType kOutputTypes[] = {{"mp3", CTxt2AudioShortNetOper::kAueMp3}, {"wav", CTxt2AudioShortNetOper::kAueWav}};

CNLESlider* MakeSlider(QWidget* parent, int id, int high)
{
    auto* slider = new CNLESlider(parent, id);
    slider->SetNumberInfo(0, high, kDefaultLevel, 0);
    return slider;
}

// Sliders report whole steps; a fractional position would round half up.
int Level(const CNLESlider* slider)
{
    return int(slider->GetPos() + 0.5);
}

} // namespace

CTxt2AudioWnd::CTxt2AudioWnd(uint32_t hostMessage, QWidget* parent)
    : ToolWindow(hostMessage, parent)
    , m_column(this, DubbingLayout::kLineStep, DubbingLayout::kMinimumPage, [this] { return ContentHeight(); },
               [this] { LayOut(); })
    , m_historyOpener(ToolId::Dubbing, kHistoryRowHeight)
    , m_player(std::make_unique<SamplePlayer>())
{
}

// The task under way stops with the window (ToolWindow) and shares nothing with it.
CTxt2AudioWnd::~CTxt2AudioWnd()
{
    m_player->Stop();
    VoiceLibrary::Free(m_voiceLibrary);
}

void CTxt2AudioWnd::SetSamplePlayer(std::unique_ptr<SamplePlayer> player)
{
    m_player = std::move(player);
}

CI3Button* CTxt2AudioWnd::Button(int id) const
{
    return ToolControls::Find<CI3Button>(this, id);
}

CNLESlider* CTxt2AudioWnd::Slider(int id) const
{
    return ToolControls::Find<CNLESlider>(this, id);
}

int CTxt2AudioWnd::ContentHeight() const
{
    return m_gridHeight + DubbingLayout::kColumnBelowGrid;
}

int CTxt2AudioWnd::OnCreate()
{
    CreateControls();
    new WheelScrollsColumn(this, [this](QWheelEvent* event) { m_column.Wheel(event); });
    SetOutputFolder(ZuGetPath(ZU_PATH_WORK) + QStringLiteral("/AIAudio/"));
    ZuCreateDirectory(OutputFolder(), 0);
    FillVoiceGrid();
    m_start->EnableWindow(false);
    return 0;
}

void CTxt2AudioWnd::CreateControls()
{
    ToolControls::Buttons(this, {{&m_start, IdStart, "开始朗读"}, {&m_downloadFolder, IdDownloadFolder, "下载文件夹"},
                                {&m_history, IdHistory, "历史记录"}});
    m_downloadFolder->hide();
    CI3ButtonRanges::Apply(m_start, 1);
    connect(m_start, qOverload<int>(&CI3Button::clicked), this, [this] { OnStart(); });
    connect(m_downloadFolder, qOverload<int>(&CI3Button::clicked), this, [this] { OnChooseOutputFolder(); });
    connect(m_history, qOverload<int>(&CI3Button::clicked), this, [this] { m_historyOpener.Open(this); });

    m_voiceLabel = ToolControls::Label(this, QString::fromUtf8("音库"));
    m_status = ToolControls::Label(this, QString(), Qt::AlignCenter);
    m_status->setWordWrap(true);
    SetStatusLabel(m_status);
    m_selectedLabel = ToolControls::Label(this, QString::fromUtf8(kSelectedCaption), Qt::AlignLeft | Qt::AlignTop);
    m_selectedLabel->setWordWrap(true);
    m_speedLabel = ToolControls::Label(this, QString::fromUtf8("语速"));
    m_pitchLabel = ToolControls::Label(this, QString::fromUtf8("音调"));
    m_volumeLabel = ToolControls::Label(this, QString::fromUtf8("音量"));
    m_typeLabel = ToolControls::Label(this, QString::fromUtf8("类型"));

    m_voices = new CVoiceSelCtrl(this);
    m_voices->Create(this, QRect(40, 10, width() - 40, 0), IdVoices);
    m_voices->SetNotifyWnd(this);
    m_column.CreateBar(kScrollBarId)->hide();

    m_speed = MakeSlider(this, IdSpeed, kLevelMax);
    m_pitch = MakeSlider(this, IdPitch, kLevelMax);
    m_laterVolume = MakeSlider(this, IdLaterVolume, kLaterVolumeMax);
    m_firstVolume = MakeSlider(this, IdFirstVolume, kLevelMax);
    m_firstVolume->hide();

    m_type = new CQOVComboBox(this, IdType);
    for (const OutputType& type : kOutputTypes)
        m_type->InsertString(-1, QString::fromLatin1(type.name));
    m_type->SetCurSel(0);
}

void CTxt2AudioWnd::FillVoiceGrid()
{
    // The module's images are registered by the state every tool window shares.
    SharedWindowState::Get();
    for (int i = 0; i < 4; ++i)
        m_gridImages[i].CreateFromImageResource(QOVGetAIGCDllResHandle(), kGridImages[i], QStringLiteral("PNG"));
    m_voices->SetImages(&m_gridImages[0], &m_gridImages[1], &m_gridImages[2], &m_gridImages[3]);

    m_voiceLibrary = VoiceLibrary::Read(VoiceLibrary::Folder());
    for (VoiceInfo* voice : m_voiceLibrary)
        m_voices->AddGroup(voice->name, nullptr, &voice->preview, voice->id);
    m_voices->SetSelectedGroup(0);
    m_voices->SetTileSize(130, 5, 40);
    m_voices->SetPictureSize(40, 40);
    m_voices->SetTextBelowPicture(false);
    m_voices->SetShowPlayIcon(true);
    m_voices->Layout(m_voices->width(), true);
    m_voices->update();
}

void CTxt2AudioWnd::SetSelectedText(const QString& text, const QUuid& objectId)
{
    m_selectedText = text;
    m_selectedObject = objectId;
    m_selectedLabel->setText(text.isEmpty() ? QString::fromUtf8(kNothingSelected) : QString::fromUtf8(kSelectedFormat).arg(text));
    UpdateStart();
    if (!IsBusy())
        SetStatus(text.length() >= kLongTextLength ? QString::fromUtf8(kLongTextHint) : QString());
}

void CTxt2AudioWnd::SetSelection(const QString& text, const QUuid& selectedObject, const QHash<QString, QString>*)
{
    SetSelectedText(text, selectedObject);
}

void CTxt2AudioWnd::OnStart()
{
    const OutputType& type = kOutputTypes[std::clamp(m_type->GetCurSel(), 0, 1)];
    const QList<ItemInfo*>& groups = m_voices->Groups();
    const int selected = m_voices->GetSelectedGroup();
    const int voice = selected >= 0 && selected < groups.size() ? std::max(groups[selected]->id, 0) : 0;
    const QString path = DubbingFileName::Wanted(OutputFolder(), QString::fromLatin1(type.name));
    const int volume = Level(m_laterVoice ? m_laterVolume : m_firstVolume);
    StartSpeech({m_selectedText, path, Level(m_speed), Level(m_pitch), volume, voice, type.aue},
                m_selectedText.length() >= kLongTextLength);
}

void CTxt2AudioWnd::StartSpeech(const ShortSpeechTask::Request& request, bool isLong)
{
    m_taskObject = m_selectedObject;
    SetStatus(QString::fromUtf8(kGenerating));
    auto task = std::make_unique<ServiceTask>(isLong ? LongSpeechTask::Make(request) : ShortSpeechTask::Make(request));
    // A long task keeps the button usable: a second start replaces the running task, as it always
    // has. Its polls say how it goes.
    Run(
        std::move(task),
        [this](int code, const QString&) {
            if (code == CTxt2AudioNetOper::PollFailed)
                SetStatus(QString::fromUtf8(kNetworkProblem)); // the task polls on
            else if (code == CTxt2AudioNetOper::PollPending)
                SetStatus(QString::fromUtf8(kGenerating));
        },
        [this, isLong](const TaskEnd& end) {
            if (end.Succeeded()) {
                SendFiles(m_taskObject, end.value.toString());
                SetStatus(QString::fromUtf8(kGenerated));
            } else if (end.Failed() && end.error.text.isEmpty()) {
                SetStatus(QString::fromUtf8(isLong ? kTaskFailed : kGenerationFailed));
            }
        },
        !isLong);
}

void CTxt2AudioWnd::UpdateStart()
{
    m_start->EnableWindow(!IsBusy() && !m_selectedText.isEmpty());
}

void CTxt2AudioWnd::OnVoiceChosen(int index)
{
    m_laterVoice = index >= kFirstLaterVoice;
    m_laterVolume->setVisible(m_laterVoice);
    m_firstVolume->setVisible(!m_laterVoice);
}

void CTxt2AudioWnd::OnPlaySample(int index, intptr_t control)
{
    if (index < 0) {
        m_player->Stop();
        return;
    }
    if (control == IdVoices && index < m_voiceLibrary.size())
        m_player->Play(m_voiceLibrary[index]->audio);
}

bool CTxt2AudioWnd::OnToolMessage(QOVMessageEvent* message)
{
    const auto word = intptr_t(message->WParam());
    switch (message->Message()) {
    case CVoiceSelCtrl::kVoiceChosenMessage:
        if (message->LParam() == IdVoices)
            OnVoiceChosen(int(word));
        return true;
    case CVoiceSelCtrl::kPlaySampleMessage:
        OnPlaySample(int(word), message->LParam());
        return true;
    case CBtnSelCtrl::kContentHeightMessage:
        m_gridHeight = int(word);
        if (m_type)
            LayOut();
        return true;
    default:
        return false;
    }
}

void CTxt2AudioWnd::OnSize(int, int, int)
{
    if (!m_type)
        return;
    UpdateScroll();
    LayOut();
}

void CTxt2AudioWnd::UpdateScroll()
{
    const int cx = width();
    const int cy = height();
    m_gridHeight = m_voices->Layout(DubbingLayout::GridWidth(cx, m_scrollShown), false);
    const bool needed = cy < ContentHeight();
    if (needed != m_scrollShown) {
        // The other width may flow the tiles into another number of rows.
        m_scrollShown = needed;
        m_gridHeight = m_voices->Layout(DubbingLayout::GridWidth(cx, m_scrollShown), false);
    }
    m_column.Update();
    m_column.Bar()->setVisible(m_scrollShown);
}

void CTxt2AudioWnd::wheelEvent(QWheelEvent* event)
{
    m_column.Wheel(event);
}

void CTxt2AudioWnd::LayOut()
{
    const DubbingLayout l = DubbingLayout::For(size(), m_gridHeight, m_column.Offset(), m_scrollShown);
    m_voiceLabel->setGeometry(l.voiceLabel);
    m_voices->setGeometry(l.grid);
    m_speedLabel->setGeometry(l.speedLabel);
    m_speed->setGeometry(l.speed);
    m_pitchLabel->setGeometry(l.pitchLabel);
    m_pitch->setGeometry(l.pitch);
    m_volumeLabel->setGeometry(l.volumeLabel);
    m_laterVolume->setGeometry(l.volume);
    m_firstVolume->setGeometry(l.volume);
    m_typeLabel->setGeometry(l.typeLabel);
    m_type->setGeometry(l.type);
    m_downloadFolder->setGeometry(l.downloadFolder);
    m_start->setGeometry(l.start);
    m_status->setGeometry(l.status);
    m_history->setGeometry(l.history);
    m_selectedLabel->setGeometry(l.selectedText);
    m_column.Bar()->setGeometry(l.scrollBar);
}
