#pragma once

#include <QDate>
#include <QSize>
#include <QString>
#include <QStringList>

#include <chrono>
#include <optional>

class CliArguments;

// Reads a command's option values. A value it cannot take gives the fallback and notes one
// sentence on what was wrong; the command reads all it needs and then asks for Problem().
class OptionReader
{
public:
    explicit OptionReader(const CliArguments& arguments);

    // The value as given; empty when absent.
    QString Text(const QString& name) const;
    // A whole number within [low, high]; fallback when the option is absent.
    int Integer(const QString& name, int fallback, int low, int high);
    // A number (fractions too) within [low, high]; fallback when absent.
    double Number(const QString& name, double fallback, double low, double high);
    // A whole number of 0 or more; 0 when absent.
    int Count(const QString& name);
    // One of choices; the first when absent.
    QString Choice(const QString& name, const QStringList& choices);
    // WIDTHxHEIGHT; fallback when absent.
    QSize Size(const QString& name, QSize fallback);
    // YYYY-MM-DD; nothing when absent.
    std::optional<QDate> Date(const QString& name);
    // --timeout in seconds (600 when absent): how long a command waits for a service task.
    std::chrono::seconds Timeout();
    // --encoding: the character set a text file is in, for when it cannot be told from the file;
    // empty when absent.
    QString Encoding();

    // The first value that could not be taken, in a sentence, or nothing.
    const std::optional<QString>& Problem() const;

private:
    void Note(const QString& problem);

    const CliArguments& m_arguments;
    std::optional<QString> m_problem;
};
