#pragma once

#include "host/CMsgReceiver.h"
#include "host/CQOVDefUiSettings.h"
#include "host/CQOVWndColorMgr.h"

#include <QPainter>
#include <QResizeEvent>
#include <QWidget>

// What the editor's windows and dialogs share over their Qt widget: the editor's font and colours,
// its messages, and the handlers they chain to for painting, resizing and seeing events first.
template <class Base>
class HostWindow : public Base, public CMsgReceiver, public CQOVWndColorMgr
{
public:
    explicit HostWindow(QWidget* parent = nullptr)
        : Base(parent)
    {
        this->setFont(CQOVDefUiSettings::GetDefUiSettings().defaultFont);
    }

protected:
    virtual void OnSize(int /*type*/, int /*cx*/, int /*cy*/) {}
    // Sees the window's events first; true swallows one.
    virtual bool PreTranslateMessage(QObject* /*target*/, QEvent* /*event*/) { return false; }
    // Paints the window; the base fills it with the background colour.
    virtual void OnDraw(QPainter& painter) { painter.fillRect(this->rect(), GetBkColor()); }

    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        OnDraw(painter);
    }
    void resizeEvent(QResizeEvent* event) override
    {
        Base::resizeEvent(event);
        OnSize(0, this->width(), this->height());
    }
};
