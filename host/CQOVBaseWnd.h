#pragma once

#include "host/CMsgReceiver.h"
#include "host/CQOVWndColorMgr.h"

#include <QPointer>
#include <QWidget>

#include <cstdint>

class QOVMessageEvent;
class QPainter;

// The base of every tool window: a child widget with the editor's colours, the handlers tool
// windows chain to, window messages, and the owner it reports to.
class CQOVBaseWnd : public QWidget, public CMsgReceiver, public CQOVWndColorMgr
{
public:
    explicit CQOVBaseWnd(QWidget* parent = nullptr);

    // Makes the window a child of parent at rect with the child identifier, then runs OnCreate.
    // False when OnCreate refuses (returns -1).
    bool Create(QWidget* parent, const QRect& rect, int childId);
    int GetDlgCtrlID() const;

    // The window that hears from this one: its owner, or its parent when it has none.
    void SetOwner(QWidget* owner);
    QWidget* GetOwner() const;
    // Sends message to the owner (or parent) at once; the handler's result.
    intptr_t SendToOwner(int message, uintptr_t wParam, intptr_t lParam);

protected:
    virtual int OnCreate();
    virtual void OnSize(int type, int cx, int cy);
    virtual void OnLButtonDown(Qt::KeyboardModifiers modifiers, const QPoint& point);
    virtual void OnLButtonUp(Qt::KeyboardModifiers modifiers, const QPoint& point);
    // Sees every event of this window and of its descendants inside it first (not those of the
    // dialogs and pop-ups it opens); true swallows it.
    virtual bool PreTranslateMessage(QObject* target, QEvent* event);
    // Window messages (posted or sent to this window); true when handled.
    virtual bool OnWindowMessage(QOVMessageEvent* message);
    // Paints the window; the base fills it with the background colour.
    virtual void OnDraw(QPainter& painter);

    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void WatchDescendants(QObject* object);
    // Whether object lives inside this window rather than in a window of its own.
    bool InThisWindow(QObject* object) const;

    int m_childId = 0;
    QPointer<QWidget> m_owner;
};
