#include "host/CZuScrollBar.h"

#include "host/CQOVDefUiSettings.h"

#include <QScopedValueRollback>

#include <algorithm>

CZuScrollBar::CZuScrollBar(QWidget* parent, int id)
    : ChildControl(id, Qt::Vertical, parent)
{
    const CQOVDefUiSettings& ui = CQOVDefUiSettings::GetDefUiSettings();
    setStyleSheet(QStringLiteral("QScrollBar:vertical { background: %1; width: 12px; margin: 0; }"
                                 "QScrollBar::handle:vertical { background: %2; min-height: 20px;"
                                 " border-radius: 4px; margin: 2px; }"
                                 "QScrollBar::handle:vertical:hover { background: %3; }"
                                 "QScrollBar::add-line:vertical, QScrollBar::sub-line:vertical { height: 0; }"
                                 "QScrollBar::add-page:vertical, QScrollBar::sub-page:vertical { background: none; }")
                      .arg(ui.background.name(), ui.border.name(), ui.accent.name()));
    connect(this, &QAbstractSlider::valueChanged, this, [this](int value) {
        if (!m_quiet)
            emit scrolled(m_id, value);
    });
}

void CZuScrollBar::GetScrollInfo(SCROLLINFO& info) const
{
    info.nMin = m_min;
    info.nMax = m_max;
    info.nPage = m_page;
    info.nPos = value();
    info.nTrackPos = sliderPosition();
}

void CZuScrollBar::SetScrollInfo(const SCROLLINFO& info, bool redraw)
{
    QScopedValueRollback quiet(m_quiet, true);
    m_min = info.nMin;
    m_max = std::max(info.nMin, info.nMax);
    // A page larger than the whole range shows everything.
    m_page = std::clamp(info.nPage, 0, m_max - m_min + 1);
    const int highest = std::max(m_min, m_max - std::max(m_page - 1, 0));
    setRange(m_min, highest);
    setPageStep(std::max(m_page, 1));
    setValue(std::clamp(info.nPos, m_min, highest));
    if (redraw)
        update();
}

void CZuScrollBar::SetScrollPos(int position, bool redraw)
{
    QScopedValueRollback quiet(m_quiet, true);
    setValue(position);
    if (redraw)
        update();
}
