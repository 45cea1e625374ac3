#pragma once

#include "mediakit/Caption.h"

#include <QJsonObject>
#include <QString>
#include <QStringList>

#include <map>
#include <vector>

// What a localisation says of each caption once its speech is in the track, for the user to
// review: how fast it reads, its longest line, how its speech was fitted (the speed factor, the
// time taken from the silence after it, whether it still runs on) and the glossary terms its
// translation lacks. Written as report.json in the project folder, and as a table.
class LocalizeReport
{
public:
    struct Fit
    {
        double tempo = 1.0;
        qint64 borrowed = 0; // milliseconds
        bool runsOn = false;
    };

    LocalizeReport(const std::vector<Caption>& captions, const QString& language);

    void SetFit(size_t caption, const Fit& fit);
    void SetGlossaryMisses(const std::map<QString, QStringList>& missesById);

    QJsonObject Json() const;
    // A line a caption, under a heading, and the summary last.
    QStringList Table() const;
    // "N captions; R over the reading speed; C over the speed cap".
    QString Summary() const;

private:
    struct Row
    {
        QString id;
        double cps = 0.0;
        int cpl = 0;
        Fit fit;
        QStringList misses;
    };

    std::vector<Row> m_rows;
    int m_readingSpeed = 0;
};
