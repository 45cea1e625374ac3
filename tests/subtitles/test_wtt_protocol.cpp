#include "subtitles/WttParams.h"
#include "subtitles/WttReply.h"
#include "subtitles/WttSentences.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

namespace {

using nsWtt::Endpoint;

TEST(WttReply, EachEndpointReadsItsMembersIntoACodeAndText)
{
    struct Case
    {
        Endpoint endpoint;
        const char* reply;
        int32_t code;
        const char* out; // what "out", holding "before" on entry, holds afterwards
    };
    const Case cases[] = {
        // prepare: "ok" decides; a non-empty "err_no" text names the number; "failed" is the text
        {Endpoint::Prepare, R"({"ok":0,"data":"task-1"})", 0, "task-1"},
        {Endpoint::Prepare, R"({"ok":0})", 0, ""},
        {Endpoint::Prepare, R"({"ok":-1,"err_no":"26601","failed":"bad app"})", 26601, "bad app"},
        {Endpoint::Prepare, R"({"ok":-1,"err_no":"  -26602 tail"})", -26602, "before"},
        {Endpoint::Prepare, R"({"ok":-1,"err_no":"+7"})", 7, "before"},
        {Endpoint::Prepare, R"({"ok":5})", 5, "before"},
        {Endpoint::Prepare, R"({"ok":5,"err_no":"","failed":"x"})", 5, "x"},
        {Endpoint::Prepare, R"({"ok":5,"err_no":"abc"})", -1, "before"},
        {Endpoint::Prepare, R"({"ok":5,"err_no":26601})", -1, "before"},
        {Endpoint::Prepare, R"({"ok":5,"err_no":"2147483648"})", -1, "before"},
        {Endpoint::Prepare, R"({"ok":5,"err_no":"-2147483648"})", INT_MIN, "before"},
        {Endpoint::Prepare, R"({"ok":"0","data":"t"})", -1, "before"},
        {Endpoint::Prepare, R"({"ok":0.5})", -1, "before"},
        {Endpoint::Prepare, R"({"ok":0,"data":17})", -1, "before"},
        {Endpoint::Prepare, R"({"data":"t"})", -1, "before"},
        {Endpoint::Prepare, R"([{"ok":0}])", -1, "before"},
        {Endpoint::Prepare, "<html>busy</html>", -1, "before"},
        {Endpoint::Prepare, "", -1, "before"},
        // merge: success leaves the text alone
        {Endpoint::Merge, R"({"ok":0,"data":"ignored"})", 0, "before"},
        {Endpoint::Merge, R"({"ok":-1,"err_no":"26504","failed":"merge"})", 26504, "merge"},
        // progress: "err_no" 0 or 26605 with "data" gives 9 or 3 from its status
        {Endpoint::Progress, R"({"err_no":0,"data":"{\"status\":9,\"desc\":\"done\"}"})", 9, "done"},
        {Endpoint::Progress, R"({"err_no":26605,"data":"{\"status\":9}"})", 9, "before"},
        {Endpoint::Progress, R"({"err_no":0,"data":"{\"status\":4,\"desc\":\"working\"}"})", 3, "working"},
        {Endpoint::Progress, R"({"err_no":26605})", 26605, "before"},
        {Endpoint::Progress, R"({"err_no":0})", 0, "before"},
        {Endpoint::Progress, R"({"err_no":26602,"failed":"no task","data":"{\"status\":9}"})", 26602, "no task"},
        {Endpoint::Progress, R"({"err_no":"0","data":"{\"status\":9}"})", -1, "before"},
        {Endpoint::Progress, R"({"err_no":0,"data":"{\"desc\":\"no status\"}"})", -1, "before"},
        {Endpoint::Progress, R"({"err_no":0,"data":"{\"status\":\"9\"}"})", -1, "before"},
        {Endpoint::Progress, R"({"err_no":0,"data":"not json"})", -1, "before"},
        {Endpoint::Progress, R"({"err_no":0,"data":{"status":9}})", -1, "before"},
        {Endpoint::Progress, R"({"ok":0})", -1, "before"},
        // result: "data" is the sentence text and must be there
        {Endpoint::Result, R"({"err_no":0,"data":"[]"})", 0, "[]"},
        {Endpoint::Result, R"({"err_no":0})", -1, "before"},
        {Endpoint::Result, R"({"err_no":0,"data":[]})", -1, "before"},
        {Endpoint::Result, R"({"err_no":26606,"failed":"empty audio"})", 26606, "empty audio"},
        {Endpoint::Result, R"({"err_no":26606,"failed":3})", -1, "before"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reply);
        std::string out = "before";
        EXPECT_EQ(nsWtt::ReadReply(c.endpoint, c.reply, out), c.code);
        EXPECT_EQ(out, c.out);
    }
}

TEST(WttSliceId, CountsUpInTheLettersAToZ)
{
    const std::pair<const char*, const char*> cases[] = {
        {nsWtt::kSliceIdSeed, "aaaaaaaaaa"}, {"aaaaaaaaaa", "aaaaaaaaab"}, {"aaaaaaaaaz", "aaaaaaaaba"},
        {"aaaaaaaazz", "aaaaaaabaa"},        {"zzzzzzzzzz", "aaaaaaaaaa"},
    };
    for (const auto& [before, after] : cases) {
        std::string id = before;
        nsWtt::AdvanceSliceId(id);
        EXPECT_EQ(id, after) << before;
    }
}

TEST(WttParams, OrderedByUtf16CodeUnits)
{
    // U+FF21 precedes U+1F600 in UTF-8 bytes, but the emoji's surrogate D83D sorts first in UTF-16.
    nsWtt::ParamMap params{{"ts", "1"}, {"Ａ", "2"}, {"😀", "3"}, {"app_id", "4"}, {"signa", "5"}, {"file_len", "6"}};
    std::vector<std::string> names;
    for (const auto& entry : params)
        names.push_back(entry.first);
    EXPECT_EQ(names, (std::vector<std::string>{"app_id", "file_len", "signa", "ts", "😀", "Ａ"}));
}

TEST(WttSentences, ReadsTextsAsNumbersTheOldWayAndStopsAtTheFirstBadElement)
{
    const char* good = R"({"onebest":"你好","bg":"1500","ed":"2800","speaker":"1"})";
    struct Case
    {
        std::string text;
        size_t count;
    };
    const Case cases[] = {
        {std::string("[") + good + "]", 1},
        {std::string("[") + good + "," + good + "]", 2},
        {std::string("[") + good + R"(,{"onebest":"x","bg":1500,"ed":"1","speaker":"0"},)" + good + "]", 1},
        {std::string("[") + good + R"(,{"onebest":"x","ed":"1","speaker":"0"},)" + good + "]", 1},
        {std::string("[") + good + R"(,{"onebest":"x","bg":"1","ed":"1","speaker":0})" + "]", 1},
        {std::string("[") + good + ",[1]," + good + "]", 1},
        {std::string("[\"text\",") + good + "]", 0},
        {good, 0},
        {"not json", 0},
        {"[]", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        std::vector<nsWtt::stWavResult> sentences;
        nsWtt::ReadSentences(c.text, sentences);
        ASSERT_EQ(sentences.size(), c.count);
        if (c.count == 0)
            continue;
        const nsWtt::stWavResult& first = sentences.front();
        EXPECT_EQ(first.begin, 1500);
        EXPECT_EQ(first.end, 2800);
        EXPECT_EQ(first.text, "你好");
        EXPECT_EQ(first.textCopy, QStringLiteral("你好"));
        EXPECT_EQ(first.further, 0);
        EXPECT_EQ(first.speaker, 1);
    }
}

TEST(WttSentences, IntegerTextsReadLikeWtoi)
{
    const std::pair<const char*, int32_t> cases[] = {
        {"1500", 1500}, {"abc", 0},   {"12ms", 12}, {"  -7", -7},  {"+8x", 8},
        {"", 0},        {"-", 0},     {" ", 0},     {"99999999999", INT_MAX}, {"-99999999999", INT_MIN},
    };
    for (const auto& [text, value] : cases)
        EXPECT_EQ(nsWtt::WtoI(text), value) << '"' << text << '"';
}

} // namespace
