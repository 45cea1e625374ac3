#pragma once

#include "dubbing/ShortSpeechTask.h"
#include "history/HistoryOpener.h"
#include "host/CZuBuffer.h"
#include "service/MessageNumbers.h"
#include "ui/ISelectionReceiver.h"
#include "ui/ScrolledColumn.h"
#include "ui/ToolWindow.h"

#include <QList>
#include <QString>
#include <QUuid>

#include <cstdint>
#include <memory>

class CI3Button;
class CNLESlider;
class CQOVComboBox;
class CVoiceSelCtrl;
class CZuScrollBar;
class QLabel;
class SamplePlayer;
struct VoiceInfo;

// The dubbing tool window: the editor's selected text, a voice from the voice grid, speed, pitch,
// volume and output type; the audio it makes is handed back to the editor with the text object's
// identifier. Texts of 512 characters or more go to the long-text service as a polled task.
class CTxt2AudioWnd : public ToolWindow, public ISelectionReceiver
{
public:
    enum ControlId { IdStart = 1001, IdVoices = 1002, IdSpeed = 1004, IdPitch = 1005, IdLaterVolume = 1006,
                     IdFirstVolume = 1007, IdType = 1008, IdDownloadFolder = 1009, IdHistory = 1011 };
    // From this many characters on, a text is synthesised as a long-text task.
    static constexpr int kLongTextLength = int(ShortSpeechTask::kLongTextCharacters);
    // Voices from this index on are the long-text ones, with the 0-to-9 volume.
    static constexpr int kFirstLaterVoice = 8;
    // The history list hands an earlier result over with this message.
    static constexpr int kHistoryItemMessage = MessageNumbers::kHistoryItem;

    // hostMessage: the number the window sends the editor its results with (0: none).
    explicit CTxt2AudioWnd(uint32_t hostMessage, QWidget* parent = nullptr);
    ~CTxt2AudioWnd() override;

    // The editor's selected text object: its text (may be empty) and identifier.
    void SetSelectedText(const QString& text, const QUuid& objectId);
    void SetSelection(const QString& text, const QUuid& selectedObject,
                      const QHash<QString, QString>* properties) override;

    // Replaces the sample player (tests record instead of playing).
    void SetSamplePlayer(std::unique_ptr<SamplePlayer> player);

    CI3Button* Button(int id) const;
    CNLESlider* Slider(int id) const;
    CQOVComboBox* TypeList() const { return m_type; }
    CVoiceSelCtrl* VoiceGrid() const { return m_voices; }
    CZuScrollBar* ScrollBar() const { return m_column.Bar(); }
    QLabel* StatusLabel() const { return m_status; }
    QLabel* SelectedTextLabel() const { return m_selectedLabel; }
    const QList<VoiceInfo*>& Voices() const { return m_voiceLibrary; }
    bool IsLaterVoice() const { return m_laterVoice; }
    bool IsScrollShown() const { return m_scrollShown; }
    int ScrollPos() const { return m_column.Offset(); }
    int ContentHeight() const;

protected:
    int OnCreate() override;
    void OnSize(int type, int cx, int cy) override;
    bool OnToolMessage(QOVMessageEvent* message) override;
    // Only the entry made from the text selected now belongs to its object.
    std::optional<QUuid> EntryObject(const QString& source) const override
    {
        return source == m_selectedText ? m_selectedObject : QUuid();
    }
    void wheelEvent(QWheelEvent* event) override;

private:
    void CreateControls();
    void FillVoiceGrid();
    void OnStart();
    // Speaks request as one request, or as a polled task when isLong.
    void StartSpeech(const ShortSpeechTask::Request& request, bool isLong);
    void UpdateStart() override;
    void OnVoiceChosen(int index);
    void OnPlaySample(int index, intptr_t control);
    void UpdateScroll();
    void LayOut();

    QList<VoiceInfo*> m_voiceLibrary;
    CI3Button* m_start = nullptr;
    CI3Button* m_downloadFolder = nullptr;
    CI3Button* m_history = nullptr;
    QLabel* m_voiceLabel = nullptr;
    QLabel* m_status = nullptr;
    QLabel* m_selectedLabel = nullptr;
    QLabel* m_speedLabel = nullptr;
    QLabel* m_pitchLabel = nullptr;
    QLabel* m_volumeLabel = nullptr;
    QLabel* m_typeLabel = nullptr;
    CVoiceSelCtrl* m_voices = nullptr;
    CNLESlider* m_speed = nullptr;
    CNLESlider* m_pitch = nullptr;
    CNLESlider* m_laterVolume = nullptr;
    CNLESlider* m_firstVolume = nullptr;
    CQOVComboBox* m_type = nullptr;
    bool m_laterVoice = true;
    int m_gridHeight = 0;
    CZuBuffer m_gridImages[4]; // as kGridImages names them
    QString m_selectedText;
    QUuid m_selectedObject;
    // The text object the running task speaks for: the selection may move on while it runs.
    QUuid m_taskObject;
    ScrolledColumn m_column;
    HistoryOpener m_historyOpener;
    bool m_scrollShown = false;
    std::unique_ptr<SamplePlayer> m_player;
};
