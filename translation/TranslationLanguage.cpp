#include "translation/TranslationLanguage.h"

#include "mediakit/CaptionLayout.h"

#include <QRegularExpression>
#include <QSet>

#include <array>
#include <map>

namespace TranslationLanguage {

namespace {

// Reading speeds of the common style for timed text.
constexpr int kSpacedSpeed = 17;
constexpr int kCharacterSpeed = 9;

// Languages whose words run on without spaces.
const QSet<QString>& Unspaced()
{
    static const QSet<QString> codes{QStringLiteral("zh"), QStringLiteral("ja"), QStringLiteral("th"),
                                     QStringLiteral("lo"), QStringLiteral("km"), QStringLiteral("my")};
    return codes;
}

bool ReadByCharacter(const QString& code)
{
    return code == QLatin1String("zh") || code == QLatin1String("ja");
}

// The words that give a Latin-script language away: short, frequent and rare in the others.
struct CommonWords
{
    const char* code;
    std::array<const char*, 8> words;
};

constexpr CommonWords kCommonWords[] = {
    {"en", {"the", "and", "is", "of", "you", "that", "it", "with"}},
    {"es", {"el", "los", "que", "es", "una", "por", "con", "para"}},
    {"fr", {"le", "les", "est", "une", "et", "pas", "vous", "dans"}},
    {"de", {"der", "die", "und", "ist", "nicht", "ein", "das", "ich"}},
    {"it", {"il", "che", "non", "sono", "della", "una", "per", "gli"}},
    {"pt", {"o", "os", "que", "não", "uma", "com", "para", "você"}},
};

} // namespace

bool IsCode(const QString& code)
{
    static const QRegularExpression pattern(QStringLiteral("^[a-z]{2}$"));
    return pattern.match(code).hasMatch();
}

bool Spaced(const QString& code)
{
    return !Unspaced().contains(code);
}

int ReadingSpeed(const QString& code)
{
    return ReadByCharacter(code) ? kCharacterSpeed : kSpacedSpeed;
}

int LineChars(const QString& code)
{
    return ReadByCharacter(code) ? CaptionLayout::kChineseChars : CaptionLayout::kSpacedChars;
}

QString Guess(const std::vector<Caption>& captions)
{
    int han = 0;
    int kana = 0;
    int hangul = 0;
    int cyrillic = 0;
    int arabic = 0;
    int latin = 0;
    std::map<QString, int> votes;
    static const QRegularExpression wordBreak(QStringLiteral("[^\\p{L}]+"));
    for (const Caption& caption : captions) {
        for (const QChar c : caption.text) {
            const ushort u = c.unicode();
            if (u >= 0x4E00 && u <= 0x9FFF)
                ++han;
            else if (u >= 0x3040 && u <= 0x30FF)
                ++kana;
            else if (u >= 0xAC00 && u <= 0xD7AF)
                ++hangul;
            else if (u >= 0x0400 && u <= 0x04FF)
                ++cyrillic;
            else if (u >= 0x0600 && u <= 0x06FF)
                ++arabic;
            else if (c.isLetter() && c.script() == QChar::Script_Latin)
                ++latin;
        }
        for (const QString& word : caption.text.toLower().split(wordBreak, Qt::SkipEmptyParts)) {
            for (const CommonWords& language : kCommonWords) {
                for (const char* common : language.words) {
                    if (word == QString::fromUtf8(common))
                        ++votes[QLatin1String(language.code)];
                }
            }
        }
    }
    // Japanese writes Han characters among its kana; Chinese has no kana at all.
    if (kana > 0 && kana + han >= latin)
        return QStringLiteral("ja");
    const std::pair<int, const char*> scripts[] = {
        {han, "zh"}, {hangul, "ko"}, {cyrillic, "ru"}, {arabic, "ar"}};
    for (const auto& [count, code] : scripts) {
        if (count > latin)
            return QLatin1String(code);
    }
    QString best = QStringLiteral("en");
    int most = 0;
    for (const auto& [code, count] : votes) {
        if (count > most) {
            best = code;
            most = count;
        }
    }
    return best;
}

} // namespace TranslationLanguage
