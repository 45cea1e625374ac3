#pragma once

#include "support/FaultEnvironment.h"
#include "support/FaultyServer.h"

#include <QDir>
#include <QFileInfo>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

#include <cstddef>
#include <initializer_list>
#include <ostream>
#include <string>
#include <vector>

// What the user is told of a failure any request can meet; a refused connection and a time-out
// are followed by the network library's own words.
inline constexpr const char* kConnect = FaultEnvironment::kConnectText;
inline constexpr const char* kTimedOut = FaultEnvironment::kTimedOutText;
inline constexpr const char* kCut = FaultEnvironment::kCutText;
inline constexpr const char* kTooLarge = FaultEnvironment::kTooLargeText;

// How a task of a fault matrix ends: the code Start returns and, for a started task, the code it
// ends with (for a failing poll that does not end the task, the code it reports while polling goes
// on); the error text, or how it begins when prefix is set (empty: no message); the bytes of the
// file left behind, 0 for none.
struct TaskEnd
{
    int start;
    int end = 0;
    const char* text = "";
    bool prefix = false;
    size_t fileBytes = 0;
};

// One cell of a fault matrix: which request of the task fails (Step, the suite's enum, whose values
// index Names), how it fails, and what the suite expects then. Names the test after the step and
// the fault (TokenRefused), and prints so in failure messages and test listings.
template <typename Step, const char* const* Names, typename Expect = TaskEnd>
struct FaultCell
{
    Step step;
    Fault fault;
    Expect expect;

    std::string Name() const { return std::string(Names[static_cast<int>(step)]) + FaultName(fault); }

    static std::string TestName(const ::testing::TestParamInfo<FaultCell>& info) { return info.param.Name(); }

    friend void PrintTo(const FaultCell& cell, std::ostream* out) { *out << cell.Name(); }
};

// The token request fails every way; the task ends before it starts, as start says, with the text
// the user is shown for that fault.
template <typename Cell>
std::vector<Cell> TokenCells(decltype(Cell::step) step, int start)
{
    const char* const malformed = "Token服务的回复格式有误：";
    return {
        {step, Fault::Refused, {start, 0, kConnect, true}},
        {step, Fault::Status500, {start, 0, "Token获取失败，请检查配置文件，错误代码：500"}},
        {step, Fault::Slow, {start, 0, kTimedOut, true}},
        {step, Fault::NotJson, {start, 0, malformed, true}},
        {step, Fault::WrongTypes, {start, 0, malformed, true}},
        {step, Fault::Truncated, {start, 0, malformed, true}},
        {step, Fault::ClosedMidReply, {start, 0, kCut}},
        {step, Fault::Huge, {start, 0, kTooLarge}},
    };
}

// Every fault of step, each ending as expect says.
template <typename Cell>
std::vector<Cell> EveryFault(decltype(Cell::step) step, const decltype(Cell::expect)& expect)
{
    std::vector<Cell> cells;
    for (const Fault fault : {Fault::Refused, Fault::Status500, Fault::Slow, Fault::NotJson, Fault::WrongTypes,
                              Fault::Truncated, Fault::ClosedMidReply, Fault::Huge})
        cells.push_back({step, fault, expect});
    return cells;
}

// A suite's cells, from its parts.
template <typename Cell>
std::vector<Cell> Cells(std::initializer_list<std::vector<Cell>> parts)
{
    std::vector<Cell> all;
    for (const std::vector<Cell>& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

// The error text is the expected one or, for a malformed reply, begins with it and says what was
// wrong.
inline void ExpectErrorText(const std::string& error, const TaskEnd& expect)
{
    const std::string text = expect.text;
    if (expect.prefix)
        EXPECT_TRUE(error.rfind(text, 0) == 0 && error.size() > text.size()) << error;
    else
        EXPECT_EQ(error, text);
}

// Nothing half-written: folder holds the one file name, whole, or no file at all when the cell
// expects none.
inline void ExpectOnlyFile(const QString& folder, const QString& name, const TaskEnd& expect)
{
    const QStringList files = QDir(folder).entryList(QDir::Files | QDir::Hidden);
    if (expect.fileBytes == 0) {
        EXPECT_TRUE(files.isEmpty()) << files.join(QLatin1Char(' ')).toStdString();
    } else {
        EXPECT_EQ(files, QStringList{name});
        EXPECT_EQ(size_t(QFileInfo(QDir(folder).filePath(name)).size()), expect.fileBytes);
    }
}
