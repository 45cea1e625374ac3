#include "host/CNLESlider.h"

#include "host/CQOVDefUiSettings.h"

#include <QScopedValueRollback>

#include <algorithm>

CNLESlider::CNLESlider(QWidget* parent, int id)
    : ChildControl(id, Qt::Horizontal, parent)
{
    const CQOVDefUiSettings& ui = CQOVDefUiSettings::GetDefUiSettings();
    setStyleSheet(QStringLiteral("QSlider { background: %1; }"
                                 "QSlider::groove:horizontal { height: 4px; background: %2; border-radius: 2px; }"
                                 "QSlider::sub-page:horizontal { background: %3; border-radius: 2px; }"
                                 "QSlider::handle:horizontal { width: 12px; margin: -5px 0; border-radius: 6px;"
                                 " background: %4; border: 1px solid %5; }"
                                 "QSlider::handle:horizontal:disabled { background: %6; }")
                      .arg(ui.background.name(), ui.line.name(), ui.accent.name(), ui.text.name(),
                           ui.border.name(), ui.disabledText.name()));
    connect(this, &QAbstractSlider::valueChanged, this, [this](int value) {
        if (!m_quiet)
            emit sliderChanged(m_id, value);
    });
}

void CNLESlider::SetNumberInfo(int low, int high, int value, int flag)
{
    QScopedValueRollback quiet(m_quiet, true);
    m_flag = flag;
    setRange(std::min(low, high), std::max(low, high));
    setValue(value);
}

void CNLESlider::SetPos(int position)
{
    QScopedValueRollback quiet(m_quiet, true);
    setValue(position);
}

