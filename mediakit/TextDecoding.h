#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Text files other tools wrote (subtitles, lists of topics), in whatever character set they were
// written in. A byte-order mark says what the text is, and bytes that are UTF-8 are read as UTF-8
// (pure ASCII among them). Anything else is detected from its bytes, as video players detect
// subtitles; when the detector has no answer the text is not read rather than guessed at, and the
// user names the character set instead.
namespace TextDecoding {

enum class Outcome
{
    Read,
    NotText,     // bytes no character set makes text of
    Unsure,      // not UTF-8, and which character set it is cannot be told
    UnknownName, // the name given is no character set this system reads
    NotInNamed,  // the bytes are not text in the character set named
};

struct Result
{
    Outcome outcome = Outcome::Read;
    QString text; // without its byte-order mark
};

// named: the character set as the user names it ("windows-1252", "GBK"); empty: detected.
Result Decode(const QByteArray& bytes, const QString& named = QString());

// Why a result that was not read was refused, as the end of a sentence ("it is not text").
QString Reason(const Result& result, const QString& named);

// Whether name is a character set this system reads.
bool Known(const QString& name);

// The character sets a user picks among most often when the detector has no answer.
QStringList Common();

} // namespace TextDecoding
