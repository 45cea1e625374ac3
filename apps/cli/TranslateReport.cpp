#include "apps/cli/TranslateReport.h"

#include "mediakit/CaptionText.h"

#include <QJsonObject>
#include <QStringList>

#include <cmath>

namespace TranslateReport {

namespace {

// A summary is one line a user reads: past this many, the captions are counted rather than named
// (--json names them all).
constexpr qsizetype kNamed = 10;

QString Counted(qsizetype count, const char* one, const char* many)
{
    return QStringLiteral("%1 %2").arg(count).arg(QLatin1String(count == 1 ? one : many));
}

QString Named(const QStringList& items, const QString& separator)
{
    if (items.size() <= kNamed)
        return items.join(separator);
    return items.mid(0, kNamed).join(separator) + QStringLiteral(" and %1 more").arg(items.size() - kNamed);
}

} // namespace

QString Summary(const CaptionTranslation& translation)
{
    int translated = 0;
    QStringList misses;
    QStringList long_;
    for (const CaptionTranslation::Translated& caption : translation.Results()) {
        if (caption.text.isEmpty())
            continue;
        ++translated;
        for (const QString& term : caption.glossaryMisses)
            misses << QStringLiteral("caption %1: \"%2\"").arg(caption.id, term);
        if (caption.tooLong)
            long_ << caption.id;
    }
    QStringList parts{QStringLiteral("%1 translated in %2")
                          .arg(Counted(translated, "caption", "captions"),
                               Counted(translation.Requests(), "request", "requests"))};
    if (translation.Retried() > 0)
        parts << QStringLiteral("%1 asked again").arg(translation.Retried());
    if (!misses.isEmpty())
        parts << QStringLiteral("%1 (%2)").arg(Counted(misses.size(), "glossary miss", "glossary misses"),
                                              Named(misses, QStringLiteral("; ")));
    if (!long_.isEmpty())
        parts << (long_.size() == 1 ? QStringLiteral("1 over its reading speed (caption %1)").arg(long_[0])
                                    : QStringLiteral("%1 over their reading speed (captions %2)")
                                          .arg(long_.size())
                                          .arg(Named(long_, QStringLiteral(", "))));
    return parts.join(QStringLiteral("; "));
}

QJsonArray Captions(const CaptionTranslation& translation)
{
    QJsonArray captions;
    for (const CaptionTranslation::Translated& caption : translation.Results()) {
        const int chars = CaptionText::Length(caption.text);
        const double seconds = (caption.end - caption.start) / 1000.0;
        QJsonObject entry{{QStringLiteral("id"), caption.id},
                          {QStringLiteral("chars"), chars},
                          {QStringLiteral("max_chars"), caption.maxChars},
                          {QStringLiteral("too_long"), caption.tooLong},
                          {QStringLiteral("glossary_misses"), QJsonArray::fromStringList(caption.glossaryMisses)}};
        // A caption without time has no reading speed to tell.
        if (seconds > 0)
            entry.insert(QStringLiteral("cps"), std::round(chars / seconds * 10) / 10);
        captions.append(entry);
    }
    return captions;
}

} // namespace TranslateReport
