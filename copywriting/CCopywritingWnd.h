#pragma once

#include "history/HistoryOpener.h"
#include "service/MessageNumbers.h"
#include "ui/ToolWindow.h"

#include <QFont>
#include <QString>

#include <cstdint>

class CI3Button;
class CQOVComboBox;
class CQOVRichEditCtrl;
class QLabel;

// The copywriting tool window: a topic, the generated text, its font size, export, hand-over of
// the generated file to the editor, and the shared history.
class CCopywritingWnd : public ToolWindow
{
public:
    enum ControlId { IdStart = 1001, IdExport = 1002, IdPutOnTrack = 1003, IdTopic = 1004, IdOutput = 1005,
                     IdFontSize = 1006, IdHistory = 1007 };
    // The history list hands an earlier result over with this message.
    static constexpr int kHistoryItemMessage = MessageNumbers::kHistoryItem;

    // hostMessage: the number the window sends the editor its results with.
    explicit CCopywritingWnd(uint32_t hostMessage, QWidget* parent = nullptr);
    ~CCopywritingWnd() override;

    // Font sizes offered, and the pixel height of a size at a screen resolution (dots per inch).
    static const QStringList& FontSizes();
    static int FontPixelHeight(int dpiY, int size) { return dpiY * size / 72; }

    CQOVRichEditCtrl* TopicEdit() const { return m_topic; }
    CQOVRichEditCtrl* OutputEdit() const { return m_output; }
    CQOVComboBox* FontSizeList() const { return m_fontSizes; }
    CI3Button* Button(int id) const;

protected:
    int OnCreate() override;
    void OnSize(int type, int cx, int cy) override;
    bool PreTranslateMessage(QObject* target, QEvent* event) override;

    // Dialogs the user answers; tests replace them.
    virtual void ShowMessage(const QString& text);
    virtual QString ChooseExportPath();

private:
    void UpdateStart() override;
    void OnStart();
    void OnGenerated(const TaskEnd& end);
    void OnFontSize();
    void OnExport();
    void OnPutOnTrack();

    QLabel* m_topicLabel = nullptr;
    QLabel* m_fontSizeLabel = nullptr;
    CI3Button* m_start = nullptr;
    CI3Button* m_export = nullptr;
    CI3Button* m_putOnTrack = nullptr;
    CI3Button* m_history = nullptr;
    CQOVRichEditCtrl* m_topic = nullptr;
    CQOVRichEditCtrl* m_output = nullptr;
    CQOVComboBox* m_fontSizes = nullptr;
    int m_fontSizeIndex = 2;
    HistoryOpener m_historyOpener;
    QFont m_font;
    // The file of the generation the window shows. The client's own path belongs to its worker
    // from the next start on.
    QString m_generatedPath;
};
