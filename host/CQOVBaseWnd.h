#pragma once

#include "host/HostWindow.h"

#include <QPointer>
#include <QWidget>

#include <cstdint>

class QOVMessageEvent;

// The base of every tool window: a child widget with the editor's colours, the handlers tool
// windows chain to, window messages, and the owner it reports to. PreTranslateMessage sees the
// events of the window's descendants inside it too (not those of the dialogs and pop-ups it opens).
class CQOVBaseWnd : public HostWindow<QWidget>
{
public:
    explicit CQOVBaseWnd(QWidget* parent = nullptr);

    // Makes the window a child of parent at rect with the child identifier, then runs OnCreate.
    // False when OnCreate refuses (returns -1).
    bool Create(QWidget* parent, const QRect& rect, int childId);
    int GetDlgCtrlID() const { return m_childId; }

    // The window that hears from this one: its owner, or its parent when it has none.
    void SetOwner(QWidget* owner) { m_owner = owner; }
    QWidget* GetOwner() const { return m_owner ? m_owner.data() : parentWidget(); }
    // Sends message to the owner (or parent) at once; the handler's result.
    intptr_t SendToOwner(int message, uintptr_t wParam, intptr_t lParam);

protected:
    virtual int OnCreate() { return 0; }
    virtual void OnLButtonDown(Qt::KeyboardModifiers /*modifiers*/, const QPoint& /*point*/) {}
    virtual void OnLButtonUp(Qt::KeyboardModifiers /*modifiers*/, const QPoint& /*point*/) {}
    // Window messages (posted or sent to this window); true when handled.
    virtual bool OnWindowMessage(QOVMessageEvent* /*message*/) { return false; }

    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void WatchDescendants(QObject* object);
    // Whether object lives inside this window rather than in a window of its own.
    bool InThisWindow(QObject* object) const;

    int m_childId = 0;
    QPointer<QWidget> m_owner;
};
