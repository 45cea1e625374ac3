#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class CZuBuffer;

// The style library that lies with the editor's media: a root element whose children are the
// styles, each with the attributes Name (the words added to the description) and Preview (a
// picture relative to the library folder).
namespace StyleLibrary {

inline constexpr const char* kFolder = "Media/AIGC/Txt2Image/";
inline constexpr const char* kFileName = "Style.xml";

// The library folder below the application root, with a trailing separator; picture names in the
// file start here.
QString Folder();

// Appends the styles of folder + "Style.xml" in file order: one name and one picture per style.
// A missing, unreadable or malformed file, or one without a root, adds nothing; a picture that
// is missing or does not load stays empty. The caller owns the pictures (Free).
void Read(const QString& folder, QStringList& names, QList<CZuBuffer*>& pictures);

// Deletes the pictures, last first, and empties the list.
void Free(QList<CZuBuffer*>& pictures);

} // namespace StyleLibrary
