#pragma once

#include <QString>
#include <QXmlStreamAttributes>

#include <functional>

// What the build programs that make a media library's files share: "PROGRAM KIND_XML FOLDER" reads
// the library's entries (the root element's children) and makes the file every entry names below
// FOLDER.
class LibraryStep
{
public:
    // Makes the file at path (its folder exists) for entry index of count; the failure in words,
    // empty when the file was made.
    using Make = std::function<QString(const QXmlStreamAttributes& entry, int index, int count, const QString& path)>;

    // The program's exit status: 2 for wrong arguments, 1 when the library holds no entry or a
    // file was not made. kind names the entries ("voice"); fileAttribute the attribute that holds
    // an entry's file, relative to FOLDER (an entry without one has no file).
    static int Run(int argc, char** argv, const char* program, const char* kind, const QString& fileAttribute,
                   const Make& make);
};
