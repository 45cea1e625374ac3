#include "service/JsonReaders.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace {

web::json::value Parse(const char* text)
{
    return web::json::value::parse(std::string(text));
}

// Each member of values reads as its value; an absent member reads as nothing and leaves the old
// value; the members of wrongTypes throw.
template <typename T>
void ExpectReads(bool (*read)(const web::json::value&, const utility::string_t&, T&), const web::json::value& reply,
                 std::initializer_list<std::pair<const char*, T>> values, T old,
                 std::initializer_list<const char*> wrongTypes)
{
    for (const auto& [member, expected] : values) {
        T value = old;
        EXPECT_TRUE(read(reply, member, value)) << member;
        EXPECT_EQ(value, expected) << member;
    }
    T value = old;
    EXPECT_FALSE(read(reply, "absent", value));
    EXPECT_EQ(value, old);
    for (const char* member : wrongTypes)
        EXPECT_THROW(read(reply, member, value), web::json::json_exception) << member;
}

TEST(JsonReaders, StringsAndIntegersAsText)
{
    ExpectReads<std::string>(ReadJsonString,
                             Parse(R"({"s":"文本","i":3,"neg":-12,"big":12345678901,"real":2.5,"obj":{},"null":null})"),
                             {{"s", "文本"}, {"i", "3"}, {"neg", "-12"}, {"big", "12345678901"}}, "old",
                             {"real", "obj", "null"});
    std::string text;
    EXPECT_FALSE(ReadJsonString(Parse("[1,2]"), "s", text)) << "a reply that is no object has no members";
}

TEST(JsonReaders, SignedAndUnsignedNumbers)
{
    const web::json::value reply =
        Parse(R"({"i":7,"neg":-7,"real":2.9,"max":18446744073709551615,"negreal":-3.5,"text":"7"})");
    ExpectReads<int32_t>(ReadJsonInt, reply, {{"i", 7}, {"neg", -7}, {"real", 2}}, 99, {"text"});
    ExpectReads<uint64_t>(ReadJsonUInt64, reply, {{"max", UINT64_MAX}, {"real", 2}, {"negreal", 0}}, 5, {"text"});
}

} // namespace
