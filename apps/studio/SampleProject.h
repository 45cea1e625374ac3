#pragma once

#include <QObject>
#include <QString>

class QProcess;
class StudioProject;

// What a newcomer can try every tool on with a click: a Chinese and an English text object, and a
// short video with English speech. The video is made into the working folder the first time it is
// asked for (the ffmpeg program lays the recogniser's English test recording under a still
// picture) and reused after that; it is never part of the sources.
class SampleProject : public QObject
{
    Q_OBJECT

public:
    static const QString kChineseText;
    static const QString kEnglishText;
    // The English recording the video speaks.
    static const QString kRecording;

    explicit SampleProject(StudioProject& project, QObject* parent = nullptr);

    // Adds the texts at once and the video once it exists; the window never waits for it.
    void Open(const QString& workFolder);
    // The sample video's path below the working folder.
    static QString VideoPath(const QString& workFolder);

signals:
    // The video is in the project, or could not be made (message says why); the texts are there.
    void Finished(bool complete, const QString& message);

private:
    void MakeVideo(const QString& path);

    StudioProject& m_project;
    QProcess* m_maker = nullptr;
};
