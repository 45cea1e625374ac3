#include "service/JsonReaders.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace {

web::json::value Parse(const char* text)
{
    return web::json::value::parse(std::string(text));
}

TEST(JsonReaders, StringsAndIntegersAsText)
{
    const web::json::value reply =
        Parse(R"({"s":"文本","i":3,"neg":-12,"big":12345678901,"real":2.5,"obj":{},"null":null})");
    struct Case
    {
        const char* member;
        const char* expected;
    };
    for (const Case& c : {Case{"s", "文本"}, Case{"i", "3"}, Case{"neg", "-12"}, Case{"big", "12345678901"}}) {
        std::string text = "old";
        EXPECT_TRUE(ReadJsonString(reply, c.member, text)) << c.member;
        EXPECT_EQ(text, c.expected);
    }
    std::string text = "old";
    EXPECT_FALSE(ReadJsonString(reply, "absent", text));
    EXPECT_EQ(text, "old");
    for (const char* wrong : {"real", "obj", "null"})
        EXPECT_THROW(ReadJsonString(reply, wrong, text), web::json::json_exception) << wrong;
    EXPECT_FALSE(ReadJsonString(Parse("[1,2]"), "s", text)) << "a reply that is no object has no members";
}

TEST(JsonReaders, SignedAndUnsignedNumbers)
{
    const web::json::value reply =
        Parse(R"({"i":7,"neg":-7,"real":2.9,"max":18446744073709551615,"negreal":-3.5,"text":"7"})");
    int32_t value = 99;
    EXPECT_TRUE(ReadJsonInt(reply, "i", value));
    EXPECT_EQ(value, 7);
    EXPECT_TRUE(ReadJsonInt(reply, "neg", value));
    EXPECT_EQ(value, -7);
    EXPECT_TRUE(ReadJsonInt(reply, "real", value));
    EXPECT_EQ(value, 2);
    value = 99;
    EXPECT_FALSE(ReadJsonInt(reply, "absent", value));
    EXPECT_EQ(value, 99);
    EXPECT_THROW(ReadJsonInt(reply, "text", value), web::json::json_exception);

    uint64_t wide = 5;
    EXPECT_TRUE(ReadJsonUInt64(reply, "max", wide));
    EXPECT_EQ(wide, UINT64_MAX);
    EXPECT_TRUE(ReadJsonUInt64(reply, "real", wide));
    EXPECT_EQ(wide, 2u);
    EXPECT_TRUE(ReadJsonUInt64(reply, "negreal", wide));
    EXPECT_EQ(wide, 0u);
    wide = 5;
    EXPECT_FALSE(ReadJsonUInt64(reply, "absent", wide));
    EXPECT_EQ(wide, 5u);
    EXPECT_THROW(ReadJsonUInt64(reply, "text", wide), web::json::json_exception);
}

} // namespace
