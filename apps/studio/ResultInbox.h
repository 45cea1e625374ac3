#pragma once

#include <QHash>
#include <QObject>
#include <QString>
#include <QUuid>

class QOVMessageEvent;
class StudioProject;

// Takes the messages the tool windows send the studio and files their results into the project.
// A message carries, in its long parameter, the address of a QString with a result file's path,
// or several each followed by "|" (the message is sent, so the window keeps and frees its
// string: the inbox copies it) and, in
// its word parameter when non-zero, the address of the QUuid of the
// text object or media file the result belongs to (borrowed). Audio goes to its text object,
// subtitles to their media file, everything else (images, texts, orphans) to the bin.
class ResultInbox : public QObject
{
    Q_OBJECT

public:
    explicit ResultInbox(StudioProject& project, QObject* parent = nullptr);

    // Message numbers the inbox answers to, each with the display name of the tool it was given to.
    void Route(int message, const QString& tool);
    bool Routes(int message) const { return m_tools.contains(message); }

    // Whether a result file is sound, by its extension: what lands with a text object.
    static bool IsAudio(const QString& path);

    // True when the message was one of the routed ones.
    bool Receive(const QOVMessageEvent& message);

    // Installed on the objects the tool windows talk to (their parent panel and the main window).
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void File(const QString& path, const QUuid* owner, const QString& tool);

    StudioProject& m_project;
    QHash<int, QString> m_tools;
};
