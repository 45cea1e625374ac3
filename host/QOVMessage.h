#pragma once

#include <QEvent>
#include <QString>

#include <cstdint>
#include <optional>

class QObject;

// A window message: its number is the event type, with a word and a long parameter. Any thread
// may post one to a window; the window's thread delivers it, and Qt drops what is still queued
// for a window that has been destroyed, so a worker never reaches a dead window.
class QOVMessageEvent : public QEvent
{
public:
    QOVMessageEvent(int message, uintptr_t wParam, intptr_t lParam);
    // A message that carries two texts instead of pointers: the event owns them, so they live
    // until it is delivered and go with it when it is dropped for a destroyed window. Both
    // parameters are 0; a receiver reads the texts and never frees them.
    QOVMessageEvent(int message, const QString& wText, const QString& lText);

    int Message() const { return int(type()); }
    uintptr_t WParam() const { return m_wParam; }
    intptr_t LParam() const { return m_lParam; }
    // The texts of a message made with texts; null otherwise.
    const QString* WText() const { return m_wText ? &*m_wText : nullptr; }
    const QString* LText() const { return m_lText ? &*m_lText : nullptr; }
    // What a handler answers to a sent message.
    void SetResult(intptr_t result) { m_result = result; }
    intptr_t Result() const { return m_result; }

    // The window message an event is, or null for an event of another kind: other libraries (Qt
    // Multimedia among them) register event types from the same user range.
    static QOVMessageEvent* From(QEvent* event);

private:
    uintptr_t m_wParam;
    intptr_t m_lParam;
    intptr_t m_result = 0;
    std::optional<QString> m_wText;
    std::optional<QString> m_lText;
};

// Queues the message for target (from any thread); false when there is no target.
bool QOVPostMessage(QObject* target, int message, uintptr_t wParam, intptr_t lParam);
// Queues a message carrying copies of two texts (see the event's text constructor).
bool QOVPostTexts(QObject* target, int message, const QString& wText, const QString& lText);
// Delivers the message to target at once (the user-interface thread only) and returns the result
// its handler set (0 when there is no target or the handler set none).
intptr_t QOVSendMessage(QObject* target, int message, uintptr_t wParam, intptr_t lParam);
