#pragma once

#include "host/QOVMessage.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QUuid>
#include <QWidget>

#include <cstdint>

// The editor's panel a tool window reports to: keeps what each result message (number Message)
// carries, the object it belongs to (null when the window sent none) and the file's path.
template <uint32_t Message>
class EditorPanel : public QWidget
{
public:
    static constexpr uint32_t kMessage = Message;
    struct Result
    {
        QUuid object;
        QString path;
    };
    QList<Result> results;

    QStringList Paths() const
    {
        QStringList paths;
        for (const Result& result : results)
            paths << result.path;
        return paths;
    }

protected:
    bool event(QEvent* event) override
    {
        if (int(event->type()) != int(kMessage))
            return QWidget::event(event);
        const auto* message = static_cast<QOVMessageEvent*>(event);
        const auto* object = reinterpret_cast<const QUuid*>(message->WParam());
        const auto* path = reinterpret_cast<const QString*>(message->LParam());
        results.append({object ? *object : QUuid(), path ? *path : QString()});
        return true;
    }
};
