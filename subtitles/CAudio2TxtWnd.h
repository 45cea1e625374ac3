#pragma once

#include "history/HistoryOpener.h"
#include "host/CZuBuffer.h"
#include "service/MessageNumbers.h"
#include "subtitles/CWaveToTextMgr.h"
#include "ui/ISelectionReceiver.h"
#include "ui/ToolWindow.h"

#include <QHash>
#include <QString>
#include <QUuid>

#include <cstdint>
#include <memory>

class CI3Button;
class CQOVComboBox;
class CSetUserInfoDlg;
class CZuTabCtrl;
class QLabel;

// The subtitles tool window: the editor's selected audio or video file becomes an SRT file on one
// of two recognition engines (tab A file transcription, tab B cloud recognition with a model),
// through a task manager of its own. Progress shows in the status line; a finished subtitle file
// is handed back to the editor with the media object's identifier.
class CAudio2TxtWnd : public ToolWindow, public ISelectionReceiver
{
public:
    enum ControlId { IdStart = 1001, IdHistory = 1011, IdModel = 1012, IdTab = 1013, IdUser = 1014 };
    // The manager's tasks report with this message: word the notification code, long the task.
    static constexpr int kProgressMessage = MessageNumbers::kTaskProgress;
    // The history list hands an earlier result over with this message.
    static constexpr int kHistoryItemMessage = MessageNumbers::kHistoryItem;
    // The picture above the buttons, one of the module's images.
    static constexpr int kPictureId = 2001;
    // The selection's tasks always cover this range of seconds; the names of their files say so.
    static constexpr float kRangeStart = 0.0f;
    static constexpr float kRangeEnd = 1.0f;

    // hostMessage: the number the window sends the editor its subtitle files with (0: none).
    explicit CAudio2TxtWnd(uint32_t hostMessage, QWidget* parent = nullptr);
    // Stops every task first: the manager's workers must not outlive the window they post to.
    ~CAudio2TxtWnd() override;

    // The editor's selected media file, its object and the editor's other selected files (path to
    // identifier text).
    void SetSelection(const QString& path, const QUuid& selectedObject,
                      const QHash<QString, QString>* properties) override;

    CWaveToTextMgr& Manager() { return m_manager; }
    CZuTabCtrl* Tabs() const { return m_tab; }
    CI3Button* Button(int id) const;
    CQOVComboBox* ModelList() const { return m_model; }
    QLabel* ModelLabel() const { return m_modelLabel; }
    QLabel* StatusLabel() const { return m_status; }
    QLabel* SelectedFileLabel() const { return m_selectedFile; }
    const CZuBuffer& Picture() const { return m_picture; }
    QString SelectedVideoPath() const { return m_selectedVideoPath; }
    const QHash<QString, QString>& ExtraSources() const { return m_extraSources; }
    int Engine() const { return m_engine; }

protected:
    int OnCreate() override;
    void OnSize(int type, int cx, int cy) override;
    void OnDraw(QPainter& painter) override;
    bool OnToolMessage(QOVMessageEvent* message) override;
    // Only an entry made from the file selected now belongs to its object.
    std::optional<QUuid> EntryObject(const QString& source) const override;

    // The yes/no question before a finished source is transcribed again; true for yes. Tests
    // answer it.
    virtual bool AskYesNo(const QString& question);
    // Runs the account dialog modally; its result (QDialog::Accepted on OK). Tests answer it.
    virtual int RunUserInfoDialog(CSetUserInfoDlg& dialog);

private:
    void CreateControls();
    void LayOut();
    void OnTabChanged();
    void OnStart();
    // Starts a task the manager just made: recognition for audio (on a worker: its requests
    // never hold the window), extraction first for a video.
    void StartNew(WaveTransSrt* task, bool isAudio);
    void StartExtraSources(int32_t model);
    void OnProgress(int code, WaveTransSrt* task);
    void OnUserInfo();
    bool IsSelected(const WaveTransSrt& task) const;
    void UpdateStart() override;

    CZuBuffer m_picture;
    QString m_selectedPath;
    QString m_selectedVideoPath;
    QUuid m_selectedObject;
    CWaveToTextMgr m_manager;
    int m_engine = 0;
    HistoryOpener m_historyOpener;
    QHash<QString, QString> m_extraSources;

    CZuTabCtrl* m_tab = nullptr;
    CI3Button* m_start = nullptr;
    CI3Button* m_history = nullptr;
    CI3Button* m_user = nullptr;
    QLabel* m_modelLabel = nullptr;
    CQOVComboBox* m_model = nullptr;
    QLabel* m_status = nullptr;
    QLabel* m_selectedFile = nullptr;
};
