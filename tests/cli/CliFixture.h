#pragma once

#include "EmulatorServer.h"
#include "support/QtPrinters.h"
#include "support/TestEnvironment.h"

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
    void WriteSettings(const char* secret);
    Outcome Run(const QStringList& arguments);
    void SetFault(const std::string& endpoint, const std::string& json);

    EmulatorServer m_emulator{EmulatorOptions{}};
    int m_port = 0;
    ScratchFolders m_folders;
};
