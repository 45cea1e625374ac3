#include "mediakit/LanguageCode.h"

#include <QFileInfo>

#include <utility>

namespace LanguageCode {

namespace {

// The bibliographic codes, which Matroska asks for and MP4 players read as well.
constexpr std::pair<const char*, const char*> kCodes[] = {
    {"ar", "ara"}, {"bg", "bul"}, {"bn", "ben"}, {"ca", "cat"}, {"cs", "cze"}, {"da", "dan"}, {"de", "ger"},
    {"el", "gre"}, {"en", "eng"}, {"es", "spa"}, {"et", "est"}, {"fa", "per"}, {"fi", "fin"}, {"fr", "fre"},
    {"he", "heb"}, {"hi", "hin"}, {"hr", "hrv"}, {"hu", "hun"}, {"id", "ind"}, {"it", "ita"}, {"ja", "jpn"},
    {"ko", "kor"}, {"lt", "lit"}, {"lv", "lav"}, {"ms", "may"}, {"nl", "dut"}, {"no", "nor"}, {"pl", "pol"},
    {"pt", "por"}, {"ro", "rum"}, {"ru", "rus"}, {"sk", "slo"}, {"sl", "slv"}, {"sr", "srp"}, {"sv", "swe"},
    {"ta", "tam"}, {"th", "tha"}, {"tr", "tur"}, {"uk", "ukr"}, {"ur", "urd"}, {"vi", "vie"}, {"zh", "chi"},
};

bool Letters(const QString& text)
{
    for (const QChar c : text) {
        if (c < QLatin1Char('a') || c > QLatin1Char('z'))
            return false;
    }
    return true;
}

} // namespace

QString Iso6392(const QString& code)
{
    const QString lower = code.toLower();
    if (!Letters(lower))
        return QString();
    if (lower.size() == 3)
        return lower;
    for (const auto& [two, three] : kCodes) {
        if (lower == QLatin1String(two))
            return QString::fromLatin1(three);
    }
    return QString();
}

QString FromFileName(const QString& path)
{
    const QString stem = QFileInfo(path).completeBaseName();
    const int dot = stem.lastIndexOf(QLatin1Char('.'));
    if (dot < 0)
        return QString();
    const QString tag = stem.mid(dot + 1);
    // A two-letter tag must be a language; three letters are taken only when they are one we know,
    // so "film.eng.srt" reads as English but "film.cut.srt" as nothing.
    if (tag.size() == 2)
        return Iso6392(tag);
    const QString lower = tag.toLower();
    for (const auto& pair : kCodes) {
        if (lower == QLatin1String(pair.second))
            return lower;
    }
    return QString();
}

} // namespace LanguageCode
