#pragma once

#include "EmulatorServer.h"
#include "support/QtPrinters.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QJsonObject>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

#include <string>

struct Outcome
{
    int exitCode = -1;
    QString out;
    QString err;
};

// The command line against the local services, with its own folders and settings.
class CommandLine : public ::testing::Test
{
protected:
    void SetUp() override;
    // Every service at this test's emulator, signed with the given secret.
    void WriteSettings(const QString& secret);
    // Runs qovaigc with the test's folders, standard output and error on pipes; extra holds
    // further "NAME=value" variables.
    Outcome Run(const QStringList& arguments, const QStringList& extra = {});
    // The folder options and then arguments.
    QStringList WithFolders(const QStringList& arguments) const;
    // The environment qovaigc runs in: this process's, with messages in English and without
    // QOV_DEBUG_OUTPUT, as "NAME=value".
    static QStringList Environment();
    void SetFault(const std::string& endpoint, const std::string& json);
    // Starts count runs of qovaigc at once, waits for all of them, and returns what each printed.
    QStringList RunTogether(const QStringList& arguments, int count);
    // The result files of a tool's log records, sorted (painting's listed each followed by "|").
    QStringList LoggedFiles(const QString& tool);
    static QStringList FilesIn(const QString& folder) { return QDir(folder).entryList(QDir::Files | QDir::Hidden); }

    EmulatorServer m_emulator{EmulatorOptions{}};
    int m_port = 0;
    ScratchFolders m_folders;
};

// Settings of every service at base ("http://127.0.0.1:PORT" or "https://..."), signed with the
// options' keys and the given secret.
QString ServiceSettings(const QString& base, const EmulatorOptions& options, const QString& secret);
QStringList Lines(const QString& text);
// The length of an audio file as the product measures it.
double Seconds(const QString& path);
// Standard output of a --json run as the one object it must be; an empty object otherwise.
QJsonObject JsonOf(const Outcome& outcome);
