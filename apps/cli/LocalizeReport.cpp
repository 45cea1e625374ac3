#include "apps/cli/LocalizeReport.h"

#include "translation/TranslationLanguage.h"

#include <QJsonArray>

#include <algorithm>

LocalizeReport::LocalizeReport(const std::vector<Caption>& captions, const QString& language)
    : m_readingSpeed(TranslationLanguage::ReadingSpeed(language))
{
    for (size_t i = 0; i < captions.size(); ++i) {
        const Caption& caption = captions[i];
        Row row;
        row.id = QString::number(caption.index > 0 ? caption.index : int(i) + 1);
        const QStringList lines = caption.text.split(QLatin1Char('\n'));
        int characters = 0;
        for (const QString& line : lines) {
            characters += int(line.size());
            row.cpl = std::max(row.cpl, int(line.size()));
        }
        const double seconds = std::max(1, caption.end - caption.start) / 1000.0;
        row.cps = characters / seconds;
        m_rows.push_back(row);
    }
}

void LocalizeReport::SetFit(size_t caption, const Fit& fit)
{
    if (caption < m_rows.size())
        m_rows[caption].fit = fit;
}

void LocalizeReport::SetGlossaryMisses(const std::map<QString, QStringList>& missesById)
{
    for (Row& row : m_rows) {
        const auto found = missesById.find(row.id);
        row.misses = found == missesById.end() ? QStringList() : found->second;
    }
}

QJsonObject LocalizeReport::Json() const
{
    QJsonArray captions;
    int overReading = 0;
    int overCap = 0;
    for (const Row& row : m_rows) {
        const bool fast = row.cps > m_readingSpeed;
        overReading += fast ? 1 : 0;
        overCap += row.fit.runsOn ? 1 : 0;
        captions.append(QJsonObject{{QStringLiteral("id"), row.id},
                                    {QStringLiteral("cps"), qRound(row.cps * 10) / 10.0},
                                    {QStringLiteral("cpl"), row.cpl},
                                    {QStringLiteral("over_reading_speed"), fast},
                                    {QStringLiteral("speed"), qRound(row.fit.tempo * 100) / 100.0},
                                    {QStringLiteral("borrowed_ms"), row.fit.borrowed},
                                    {QStringLiteral("runs_on"), row.fit.runsOn},
                                    {QStringLiteral("glossary_misses"), QJsonArray::fromStringList(row.misses)}});
    }
    return QJsonObject{{QStringLiteral("reading_speed"), m_readingSpeed},
                       {QStringLiteral("over_reading_speed"), overReading},
                       {QStringLiteral("over_speed_cap"), overCap},
                       {QStringLiteral("captions"), captions}};
}

QStringList LocalizeReport::Table() const
{
    QStringList lines{QStringLiteral("caption   cps  cpl  speed  borrowed  runs on  glossary misses")};
    for (const Row& row : m_rows) {
        lines << QStringLiteral("%1 %2 %3 %4x %5 %6  %7")
                     .arg(row.id, 7)
                     .arg(row.cps, 5, 'f', 1)
                     .arg(row.cpl, 4)
                     .arg(row.fit.tempo, 5, 'f', 2)
                     .arg(QStringLiteral("%1 ms").arg(row.fit.borrowed), 9)
                     .arg(row.fit.runsOn ? QStringLiteral("yes") : QStringLiteral("no"), 7)
                     .arg(row.misses.join(QStringLiteral(", ")));
    }
    lines << Summary();
    return lines;
}

QString LocalizeReport::Summary() const
{
    int overReading = 0;
    int overCap = 0;
    for (const Row& row : m_rows) {
        overReading += row.cps > m_readingSpeed ? 1 : 0;
        overCap += row.fit.runsOn ? 1 : 0;
    }
    return QStringLiteral("%1 captions; %2 over the reading speed (%3 characters a second); %4 over the speed cap")
        .arg(m_rows.size())
        .arg(overReading)
        .arg(m_readingSpeed)
        .arg(overCap);
}
