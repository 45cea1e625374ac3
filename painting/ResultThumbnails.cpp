#include "painting/ResultThumbnails.h"

#include "host/CQOVContainWnd.h"
#include "host/CQOVDefUiSettings.h"
#include "host/CQOVPiecewiseLinearBar.h"
#include "host/CZuBuffer.h"
#include "host/ContainItem.h"
#include "host/HostBitmaps.h"
#include "painting/ResultItem.h"

#include <QPalette>

#include <memory>

namespace {

// Tiles before the first result: square, with the caption.
constexpr int kInitialItemHeight = 220;

} // namespace

ResultThumbnails::~ResultThumbnails()
{
    Clear();
}

void ResultThumbnails::Create(QWidget* parent, int gridId, int sliderId, int itemMessage, const CZuBuffer* addImage)
{
    m_grid = new CQOVContainWnd(parent, gridId);
    m_grid->setFrameStyle(QFrame::Box | QFrame::Plain);
    QPalette frame = m_grid->palette();
    frame.setColor(QPalette::WindowText, CQOVDefUiSettings::GetDefUiSettings().border);
    m_grid->setPalette(frame);
    m_grid->SetMuitlSelect(false);
    m_grid->SetNeedFolder(false);
    m_grid->SetSupportContextMenu(false);
    m_grid->SetSmartShowToolTip(true);
    m_grid->SetItemSize(QSize(kDefaultWidth, kInitialItemHeight));
    m_grid->SetAddResImage(addImage);
    m_grid->SetDragDbClkItemMsg(itemMessage);

    // Slider positions are whole steps: one step per pixel of width. The bar is the editor's scale
    // bitmap under a thin marker.
    m_slider = new CQOVPiecewiseLinearBar(parent, sliderId);
    m_slider->SetBkImage(HostBitmaps::Find(QStringLiteral("IDB_SCALE_BAR")));
    m_slider->SetEdgeWidth(10, 11);
    m_slider->SetImages(nullptr, nullptr);
    m_slider->SetSliderSize(1, 15);
    m_slider->RemoveAllValuePair();
    m_slider->AddValuePair(0, kSmallestWidth);
    m_slider->AddValuePair(kLargestWidth - kSmallestWidth, kLargestWidth);
    m_slider->SetCurrentValue(kDefaultWidth);
    QObject::connect(m_slider, &CQOVPiecewiseLinearBar::sliderChanged, m_grid, [this] { Resize(); });
}

int ResultThumbnails::Width() const
{
    return m_slider ? int(m_slider->GetCurrentValue()) : kDefaultWidth;
}

QSize ResultThumbnails::ItemSize(int width, float aspect)
{
    return QSize(width, int(float(width) * aspect + float(kCaptionHeight)));
}

void ResultThumbnails::Clear()
{
    if (m_grid)
        m_grid->SetContainList(nullptr);
    qDeleteAll(m_items);
    m_items.clear();
}

int ResultThumbnails::Show(const QStringList& paths)
{
    Clear();
    int failed = 0;
    bool aspectSet = false;
    for (const QString& path : paths) {
        auto item = std::make_unique<ResultItem>(path);
        if (!item->thumbnail) {
            ++failed;
        } else if (!aspectSet) {
            // A file that did not decode has no shape to go by; the next picture decides.
            m_aspect = float(item->thumbnail->GetHeight()) / float(item->thumbnail->GetWidth());
            aspectSet = true;
        }
        m_items.append(item.release());
    }
    if (m_grid) {
        m_grid->SetItemSize(ItemSize(Width(), m_aspect));
        m_grid->SetContainList(&m_items);
    }
    return failed;
}

void ResultThumbnails::Resize()
{
    if (!m_grid)
        return;
    const int width = Width();
    m_grid->SetItemSize(ItemSize(width, m_aspect));
    const bool listMode = width < kListBelowWidth;
    if (listMode != m_listMode) {
        m_listMode = listMode;
        m_grid->EnableReportMode(listMode);
    }
    m_grid->ReLayout();
}
