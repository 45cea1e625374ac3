#include "mediakit/LanguageCode.h"

#include <QFileInfo>

#include <algorithm>
#include <iterator>
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
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c >= QLatin1Char('a') && c <= QLatin1Char('z'); });
}

} // namespace

QString Iso6392(const QString& code)
{
    const QString lower = code.toLower();
    if (!Letters(lower))
        return QString();
    if (lower.size() == 3)
        return lower;
    const auto* found = std::find_if(std::begin(kCodes), std::end(kCodes),
                                     [&lower](const auto& codes) { return lower == QLatin1String(codes.first); });
    return found == std::end(kCodes) ? QString() : QString::fromLatin1(found->second);
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
    const bool known = std::any_of(std::begin(kCodes), std::end(kCodes),
                                   [&lower](const auto& codes) { return lower == QLatin1String(codes.second); });
    return known ? lower : QString();
}

} // namespace LanguageCode
