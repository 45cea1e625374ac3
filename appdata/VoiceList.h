#pragma once

#include <QList>
#include <QString>

// The voices of a voice library file as the build programs that make its pictures and samples
// see them.
struct VoiceEntry
{
    int id = 0;
    bool female = false;
    QString name;
    QString preview; // relative to the library's folder
    QString audio;
};

// Empty when the file cannot be read or holds no voice.
QList<VoiceEntry> ReadVoiceList(const QString& path);
