#include "mediakit/TextDecoding.h"

#include "mediakit/CodePage936.h"

#include <QStringDecoder>

#include <uchardet/uchardet.h>

#include <algorithm>
#include <memory>
#include <optional>

namespace TextDecoding {

namespace {

// Detected Latin-1 is read as its Windows superset: a text file never holds the C1 control codes
// that Latin-1 puts where Windows has its quotes, dashes and euro sign.
const char* const kLatin1 = "ISO-8859-1";
const char* const kWindowsLatin = "windows-1252";
// GB2312 and GBK are subsets of GB18030, which also reads what a newer tool added.
const char* const kChinese = "GB18030";

// The detector's statistics for Chinese need more characters than this; with fewer, it names
// whichever single-byte code page the few bytes fit.
constexpr int kFewestChineseCharacters = 8;

bool IsChineseFamily(const QString& name)
{
    const QStringList family = {QStringLiteral("GB2312"), QStringLiteral("GBK"), QStringLiteral("GB18030"),
                                QStringLiteral("CP936")};
    return family.contains(name, Qt::CaseInsensitive);
}

// The bytes as text in name; nothing when name is no character set here or the bytes are not in
// it. Qt reads the Chinese code pages only when built with ICU; without it the system's converter
// does.
std::optional<QString> DecodeAs(const QByteArray& bytes, const QString& name)
{
    QStringDecoder decoder(name.toLatin1().constData());
    if (!decoder.isValid()) {
        if (!IsChineseFamily(name))
            return std::nullopt;
        if (bytes.isEmpty())
            return QString();
        const std::string converted = CodePage936::ToUtf8(bytes.toStdString());
        if (converted.empty())
            return std::nullopt;
        return QString::fromStdString(converted);
    }
    QString text = decoder.decode(bytes);
    if (decoder.hasError() || text.contains(QChar::ReplacementCharacter))
        return std::nullopt;
    return text.startsWith(QChar::ByteOrderMark) ? text.mid(1) : text;
}

// How many characters the text holds when every byte above ASCII pairs into one of GB2312's
// punctuation or its common characters, the shape of short Chinese text; 0 when it is not so
// shaped. Single-byte languages rarely give it: their letters above ASCII stand between plain ones,
// and their small letters (Cyrillic, Greek, accented Latin) lead only into GB2312's rare characters.
int ChineseShaped(const QByteArray& bytes)
{
    int characters = 0;
    for (qsizetype at = 0; at < bytes.size(); ++at) {
        const auto lead = uchar(bytes[at]);
        if (lead < 0x80)
            continue;
        const bool punctuation = lead >= 0xA1 && lead <= 0xA9;
        const bool common = lead >= 0xB0 && lead <= 0xD7;
        if (!(punctuation || common) || at + 1 >= bytes.size())
            return 0;
        const auto trail = uchar(bytes[++at]);
        if (trail < 0xA1 || trail > 0xFE)
            return 0;
        ++characters;
    }
    return characters;
}

QString Detect(const QByteArray& bytes)
{
    const std::unique_ptr<uchardet, void (*)(uchardet_t)> detector(uchardet_new(), &uchardet_delete);
    if (!detector || uchardet_handle_data(detector.get(), bytes.constData(), size_t(bytes.size())) != 0)
        return QString();
    uchardet_data_end(detector.get());
    const QString name = QString::fromLatin1(uchardet_get_charset(detector.get()));
    if (name.compare(QLatin1String(kLatin1), Qt::CaseInsensitive) == 0)
        return QString::fromLatin1(kWindowsLatin);
    if (IsChineseFamily(name))
        return QString::fromLatin1(kChinese);
    // A few Chinese characters are too little for the detector, which then names a single-byte
    // code page; it is Chinese that pairs every byte above ASCII so.
    const int chinese = ChineseShaped(bytes);
    if (!name.isEmpty() && chinese > 0 && chinese < kFewestChineseCharacters)
        return QString::fromLatin1(kChinese);
    return name;
}

// Whether text holds C1 control codes, which no text file does: a wrong guess at a code page
// shows them where its letters should be.
bool HoldsC1Controls(const QString& text)
{
    return std::any_of(text.begin(), text.end(), [](QChar c) { return c.unicode() >= 0x80 && c.unicode() <= 0x9F; });
}

} // namespace

Result Decode(const QByteArray& bytes, const QString& named)
{
    if (!named.isEmpty()) {
        if (!Known(named))
            return {Outcome::UnknownName, {}};
        const std::optional<QString> text = DecodeAs(bytes, named);
        return {text ? Outcome::Read : Outcome::NotInNamed, text.value_or(QString())};
    }
    // A byte-order mark is the writer's own word on what follows.
    if (const std::optional<QStringConverter::Encoding> marked = QStringConverter::encodingForData(bytes)) {
        const std::optional<QString> text =
            DecodeAs(bytes, QString::fromLatin1(QStringConverter::nameForEncoding(*marked)));
        return {text ? Outcome::Read : Outcome::NotText, text.value_or(QString())};
    }
    // Text in another character set is almost never valid UTF-8 by chance.
    if (const std::optional<QString> text = DecodeAs(bytes, QStringLiteral("UTF-8")))
        return {Outcome::Read, *text};
    const QString detected = Detect(bytes);
    const std::optional<QString> text = detected.isEmpty() ? std::nullopt : DecodeAs(bytes, detected);
    // Bytes of nothing, with no character set to them, are some other kind of file.
    if (!text || HoldsC1Controls(*text))
        return {bytes.contains('\0') ? Outcome::NotText : Outcome::Unsure, {}};
    return {Outcome::Read, *text};
}

QString Reason(const Result& result, const QString& named)
{
    switch (result.outcome) {
    case Outcome::Read:
        break;
    case Outcome::NotText:
        return QStringLiteral("it is not text");
    case Outcome::Unsure:
        return QStringLiteral("it is not UTF-8, and which character set it is in cannot be told for sure; "
                              "name it with --encoding, such as --encoding windows-1252 or --encoding GBK");
    case Outcome::UnknownName:
        return QStringLiteral("%1 is no character set known here").arg(named);
    case Outcome::NotInNamed:
        return QStringLiteral("it is not text in %1").arg(named);
    }
    return QString();
}

bool Known(const QString& name)
{
    return !name.isEmpty() && (QStringDecoder(name.toLatin1().constData()).isValid() || IsChineseFamily(name));
}

QStringList Common()
{
    return {QStringLiteral("UTF-8"),     QStringLiteral("windows-1252"), QStringLiteral("GB18030"),
            QStringLiteral("Big5"),      QStringLiteral("Shift_JIS"),    QStringLiteral("EUC-KR"),
            QStringLiteral("windows-1251"), QStringLiteral("windows-1250"), QStringLiteral("ISO-8859-15")};
}

} // namespace TextDecoding
