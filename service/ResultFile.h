#pragma once

#include <QByteArray>
#include <QString>

class QFile;
class QIODevice;

// A result file is never written over: every tool makes its results' files through here, so that
// two results named in the same second, by two windows or two processes, keep a file each.
namespace ResultFile {

// Creates the file wanted, or, when that name is taken, the first free "STEM_2.EXT", "STEM_3.EXT"…
// beside it, exclusively (O_EXCL): a name another process took a moment ago is never opened. On
// success file is open for writing and empty, and its name is the path. On failure file is closed
// and error (when given) says why, naming the file; reason (when given) is why alone, for a
// message that names the file itself.
bool Create(const QString& wanted, QFile& file, QString* error = nullptr, QString* reason = nullptr);

// The same for a writer that opens the file by its path itself: the file is made empty and left
// closed, holding the name. Returns the path, or an empty text on failure.
QString Reserve(const QString& wanted, QString* error = nullptr, QString* reason = nullptr);

// Writes content as a result file, and nothing when it cannot be written whole: the bytes go to
// a temporary file beside, which takes the name only once all of them are on disk, so a full
// disk or a failed flush leaves no truncated file behind. Unless own (a file this task made
// before, which is replaced), the name is chosen as Create chooses it. On success path is the
// file's path. On failure error and reason (when given) say why as Create's do, and nothing is
// left: not the name taken, and no change to an own file.
bool Write(QString& path, const QByteArray& content, bool own = false, QString* error = nullptr,
           QString* reason = nullptr);
// The same for content read from source to its end a piece at a time, for a result too large to
// hold whole (a long track encoded in a scratch file).
bool WriteFrom(QString& path, QIODevice& source, bool own = false, QString* error = nullptr,
               QString* reason = nullptr);

// The n-th name tried for wanted: wanted itself for n < 2, then "STEM_n.EXT" ("NAME_n" without
// an extension). Only the file's own name is looked at for the extension.
QString Numbered(const QString& wanted, int n);
// Gives a file written whole under a temporary name beside wanted the first of wanted's names
// free at that moment. Taking a name is one step with finding it free, so a file that took the
// name while this one was being written keeps it. On success path is the name taken; on failure
// reason says why and the temporary file is left as it was.
bool Settle(const QString& temporary, const QString& wanted, QString& path, QString& reason);

} // namespace ResultFile
