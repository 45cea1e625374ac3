#pragma once

#include "history/HistoryOpener.h"
#include "painting/PaintingOutcome.h"
#include "painting/ReferenceImageChoice.h"
#include "painting/ResultThumbnails.h"
#include "service/MessageNumbers.h"
#include "ui/ScrolledColumn.h"
#include "ui/ToolWindow.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <cstdint>

class CBtnSelCtrl;
class CI3Button;
class CQOVComboBox;
class CQOVRichEditCtrl;
class CVoiceSelCtrl;
class CZuBuffDisplayWnd;
class CZuEdit;
class CZuScrollBar;
class QLabel;

// The painting tool window: a description, a ratio with its size, a style, a count and an
// optional reference image become images from the image service; those that passed the service's
// review are shown as thumbnails. Earlier results are handed to the editor from the history.
class CTxt2ImageWnd : public ToolWindow
{
public:
    enum ControlId { IdGenerate = 1001, IdGrid = 1002, IdSizeSlider = 1003, IdDescription = 1004, IdRatios = 1005,
                     IdBrowse = 1006, IdReferencePath = 1007, IdStyles = 1008, IdCount = 1009,
                     IdDownloadFolder = 1010, IdHistory = 1011, IdScrollBar = 1012, IdRefresh = 1013 };
    // The history list hands an earlier result over with this message.
    static constexpr int kHistoryItemMessage = MessageNumbers::kHistoryItem;
    // Double-click and drag of a thumbnail are reported with this message; the editor's business.
    static constexpr int kThumbnailItemMessage = MessageNumbers::kThumbnailItem;

    // hostMessage: the number the window sends the editor its results with (0: none).
    explicit CTxt2ImageWnd(uint32_t hostMessage, QWidget* parent = nullptr);
    ~CTxt2ImageWnd() override;

    CI3Button* Button(int id) const;
    CQOVRichEditCtrl* DescriptionEdit() const { return m_description; }
    CBtnSelCtrl* RatioSelector() const { return m_ratios; }
    CVoiceSelCtrl* StyleSelector() const { return m_styles; }
    CQOVComboBox* CountList() const { return m_count; }
    CZuEdit* ReferencePathEdit() const { return m_referencePath; }
    CZuBuffDisplayWnd* ReferencePreview() const { return m_preview; }
    CZuScrollBar* ScrollBar() const { return m_column.Bar(); }
    QLabel* StatusLabel() const { return m_status; }
    const QStringList& StyleNames() const { return m_styleNames; }
    const ResultThumbnails& Thumbnails() const { return m_thumbnails; }
    int ScrollPos() const { return m_column.Offset(); }
    int ContentHeight() const;

protected:
    int OnCreate() override;
    void OnSize(int type, int cx, int cy) override;
    bool OnToolMessage(QOVMessageEvent* message) override;
    bool PreTranslateMessage(QObject* target, QEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

    // Dialogs the user answers; empty when cancelled. Tests replace them.
    virtual QString ChooseReferenceImage();

private:
    void CreateControls();
    void FillSelectors();
    void UpdateStart() override;
    void OnGenerate();
    void OnEnded(const TaskEnd& end);
    void OnAddThumbnail(int index);
    // The images of the last generation that passed review.
    void ShowResults();
    void OnBrowse();
    void OnReferencePathLeft();
    void ShowReference(ReferenceImageChoice::Outcome outcome, const QString& path);
    // Flows the selectors at the window's width, then sets the scroll range and lays the column out.
    void Reflow();
    void LayOut();

    CI3Button* m_generate = nullptr;
    CI3Button* m_browse = nullptr;
    CI3Button* m_downloadFolder = nullptr;
    CI3Button* m_history = nullptr;
    CI3Button* m_refresh = nullptr;
    QLabel* m_descriptionLabel = nullptr;
    QLabel* m_ratioLabel = nullptr;
    QLabel* m_referenceLabel = nullptr;
    QLabel* m_countLabel = nullptr;
    QLabel* m_status = nullptr;
    CZuEdit* m_referencePath = nullptr;
    CQOVComboBox* m_count = nullptr;
    CBtnSelCtrl* m_ratios = nullptr;
    int m_ratioHeight = 0;
    int m_styleHeight = 0;
    CQOVRichEditCtrl* m_description = nullptr;
    ResultThumbnails m_thumbnails;
    QLabel* m_styleLabel = nullptr;
    CVoiceSelCtrl* m_styles = nullptr;
    QStringList m_styleNames;
    QList<CZuBuffer*> m_stylePictures;
    CZuBuffDisplayWnd* m_preview = nullptr;
    ReferenceImageChoice m_reference;
    PaintingOutcome m_outcome;
    // From a generation's start until the service has made its task (or it ended).
    bool m_starting = false;
    ScrolledColumn m_column;
    HistoryOpener m_historyOpener;
};
