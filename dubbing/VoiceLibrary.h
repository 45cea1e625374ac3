#pragma once

#include <QList>
#include <QString>

struct VoiceInfo;

// The voice library file that lies with the editor's media: a root element whose children are the
// voices, with the attributes Basic, ID, Preview, Name and Audio.
namespace VoiceLibrary {

inline constexpr const char* kFolder = "Media/AIGC/Txt2Audio/";
inline constexpr const char* kFileName = "voice.xml";

// The library folder below the application root, with a trailing separator; relative names in
// the file start here.
QString Folder();

// The voices of folder + "voice.xml", in file order. A missing, unreadable or malformed file, or
// one without a root or without children, gives an empty list; a missing picture leaves a voice
// without one. The caller owns the records (Free).
QList<VoiceInfo*> Read(const QString& folder);
// The same from the text of a library file.
QList<VoiceInfo*> Parse(const QByteArray& xml, const QString& folder);

// Deletes the records, last first, and empties the list.
void Free(QList<VoiceInfo*>& voices);

} // namespace VoiceLibrary
