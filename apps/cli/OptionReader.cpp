#include "apps/cli/OptionReader.h"

#include "apps/cli/CliArguments.h"
#include "mediakit/TextDecoding.h"

#include <QRegularExpression>

#include <climits>

namespace {

constexpr int kDefaultTimeoutSeconds = 600;
constexpr int kLongestTimeoutSeconds = 86400;

} // namespace

OptionReader::OptionReader(const CliArguments& arguments)
    : m_arguments(arguments)
{
}

QString OptionReader::Text(const QString& name) const
{
    return m_arguments.Option(name).value_or(QString());
}

int OptionReader::Integer(const QString& name, int fallback, int low, int high)
{
    const std::optional<QString> text = m_arguments.Option(name);
    if (!text)
        return fallback;
    bool ok = false;
    const int value = text->toInt(&ok);
    if (ok && value >= low && value <= high)
        return value;
    if (high == INT_MAX)
        Note(QStringLiteral("--%1 takes a whole number of %2 or more, not %3").arg(name).arg(low).arg(*text));
    else
        Note(QStringLiteral("--%1 takes a whole number from %2 to %3, not %4").arg(name).arg(low).arg(high).arg(*text));
    return fallback;
}

double OptionReader::Number(const QString& name, double fallback, double low, double high)
{
    const std::optional<QString> text = m_arguments.Option(name);
    if (!text)
        return fallback;
    bool ok = false;
    const double value = text->toDouble(&ok);
    if (ok && value >= low && value <= high)
        return value;
    Note(QStringLiteral("--%1 takes a number from %2 to %3, not %4").arg(name).arg(low).arg(high).arg(*text));
    return fallback;
}

int OptionReader::Count(const QString& name)
{
    return Integer(name, 0, 0, INT_MAX);
}

QString OptionReader::Choice(const QString& name, const QStringList& choices)
{
    const std::optional<QString> text = m_arguments.Option(name);
    if (!text)
        return choices.front();
    if (choices.contains(*text))
        return *text;
    QStringList listed = choices;
    const QString last = listed.takeLast();
    Note(QStringLiteral("--%1 takes %2 or %3, not %4").arg(name, listed.join(QStringLiteral(", ")), last, *text));
    return choices.front();
}

QSize OptionReader::Size(const QString& name, QSize fallback)
{
    const std::optional<QString> text = m_arguments.Option(name);
    if (!text)
        return fallback;
    static const QRegularExpression pattern(QStringLiteral("^(\\d{1,5})x(\\d{1,5})$"));
    const QRegularExpressionMatch match = pattern.match(*text);
    if (match.hasMatch())
        return QSize(match.captured(1).toInt(), match.captured(2).toInt());
    Note(QStringLiteral("--%1 takes WIDTHxHEIGHT such as 1024x1024, not %2").arg(name, *text));
    return fallback;
}

std::optional<QDate> OptionReader::Date(const QString& name)
{
    const std::optional<QString> text = m_arguments.Option(name);
    if (!text)
        return std::nullopt;
    const QDate date = QDate::fromString(*text, QStringLiteral("yyyy-MM-dd"));
    if (date.isValid())
        return date;
    Note(QStringLiteral("--%1 takes a date written YYYY-MM-DD, not %2").arg(name, *text));
    return std::nullopt;
}

std::chrono::seconds OptionReader::Timeout()
{
    return std::chrono::seconds(
        Integer(QStringLiteral("timeout"), kDefaultTimeoutSeconds, 1, kLongestTimeoutSeconds));
}

QString OptionReader::Encoding()
{
    const QString name = Text(QStringLiteral("encoding"));
    if (name.isEmpty() || TextDecoding::Known(name))
        return name;
    Note(QStringLiteral("--encoding takes a character set such as windows-1252, GBK or Shift_JIS, not %1").arg(name));
    return QString();
}

const std::optional<QString>& OptionReader::Problem() const
{
    return m_problem;
}

void OptionReader::Note(const QString& problem)
{
    if (!m_problem)
        m_problem = problem;
}
