#include "translation/DialogueTurns.h"

#include <QRegularExpression>
#include <QStringList>

#include <algorithm>

namespace DialogueTurns {

namespace {

bool StartsTurn(const QString& line)
{
    return !line.isEmpty() && QStringLiteral("-\u2013\u2014").contains(line.front());
}

} // namespace

int Speakers(const QString& caption)
{
    const QStringList lines = caption.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    const bool dialogue = lines.size() >= 2 && std::all_of(lines.begin(), lines.end(), [](const QString& line) {
                              return StartsTurn(line.trimmed());
                          });
    return dialogue ? int(lines.size()) : 0;
}

QString OneALine(const QString& text, int speakers)
{
    if (speakers < 2)
        return text;
    // A turn begins at a dash after a space: a hyphen inside a word is none.
    static const QRegularExpression kTurn(QStringLiteral("\\s+(?=[-\u2013\u2014])"));
    const QStringList turns = text.trimmed().split(kTurn, Qt::SkipEmptyParts);
    if (turns.size() != speakers || !StartsTurn(turns.front()))
        return text;
    return turns.join(QLatin1Char('\n'));
}

} // namespace DialogueTurns
