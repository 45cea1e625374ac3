// The multipart parser on its own: bytes in, parts out, and a reason for every body it refuses.
#include "MultipartParser.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace {

using MultipartParser::Parse;

constexpr const char *kBoundary = "----CppRestSdkClientAb3dE5gH7jK9mN1p";

struct Expected {
    std::string name;
    std::string content;
    std::optional<std::string> filename;  // none for a text part
    std::string contentType;
};

std::string Delimiter() { return std::string("--") + kBoundary; }

TEST(MultipartParserTest, BodiesItTakesApart)
{
    const std::string binary = std::string("\x00\xff\r\n--\r\n", 8) + "\r\n--" + kBoundary + "X tail\x01";
    struct Case {
        const char *name;
        std::string body;
        std::vector<Expected> parts;
    } cases[] = {
        {"the module's own layout: a line break first, text parts, then the file",
         "\r\n" + Delimiter() + "\r\nContent-Disposition: form-data; name=\"app_id\"\r\n\r\nqovlocal\r\n" + Delimiter() +
             "\r\nContent-Disposition: form-data; name=\"content\"; filename=\"a b.mp3\"\r\n"
             "Content-Type: application/octet-stream\r\n\r\nID3 bytes\r\n" + Delimiter() + "--\r\n",
         {{"app_id", "qovlocal", std::nullopt, ""}, {"content", "ID3 bytes", "a b.mp3", "application/octet-stream"}}},
        {"a delimiter first, a preamble and an epilogue",
         "ignored preamble\r\n" + Delimiter() + "\r\nContent-Disposition: form-data; name=x\r\n\r\n1\r\n" +
             Delimiter() + "--\r\nepilogue, also ignored",
         {{"x", "1", std::nullopt, ""}}},
        {"file bytes with line breaks, hyphens and a longer look-alike of the delimiter",
         Delimiter() + "\r\nContent-Disposition: form-data; name=\"content\"; filename=\"bin\"\r\n\r\n" + binary +
             "\r\n" + Delimiter() + "--",
         {{"content", binary, "bin", ""}}},
        {"empty values, padding after a delimiter, header names in any case",
         Delimiter() + "  \r\ncontent-disposition: FORM-DATA; NAME=\"a\"\r\n\r\n\r\n" + Delimiter() +
             "\r\nContent-Disposition: form-data;name=\"b\\\"q\"; filename=\"\"\r\n\r\n\r\n" + Delimiter() + "--",
         {{"a", "", std::nullopt, ""}, {"b\"q", "", "", ""}}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const auto result = Parse(c.body, kBoundary);
        ASSERT_TRUE(result.ok) << result.error;
        ASSERT_EQ(result.parts.size(), c.parts.size());
        for (std::size_t i = 0; i < c.parts.size(); ++i) {
            const auto &part = result.parts[i];
            EXPECT_EQ(part.name, c.parts[i].name);
            EXPECT_EQ(std::string(part.content), c.parts[i].content);
            EXPECT_EQ(part.contentType, c.parts[i].contentType);
            EXPECT_EQ(part.filename, c.parts[i].filename);
        }
    }
}

TEST(MultipartParserTest, BodiesItRefuses)
{
    const std::string part = "\r\nContent-Disposition: form-data; name=\"a\"\r\n\r\n1\r\n";
    std::string manyParts;
    for (int i = 0; i <= static_cast<int>(MultipartParser::kMaxParts); ++i)
        manyParts += Delimiter() + part;
    struct Case {
        const char *name;
        std::string body;
    } cases[] = {
        {"no delimiter at all", "just some bytes"},
        {"empty", ""},
        {"no closing delimiter", Delimiter() + part},
        {"cut inside a part", Delimiter() + "\r\nContent-Disposition: form-data; name=\"a\"\r\n\r\n12345"},
        {"cut inside the headers", Delimiter() + "\r\nContent-Disposition: form-da"},
        {"cut right after a delimiter", Delimiter()},
        {"a delimiter with junk after it", Delimiter() + "junk" + part + Delimiter() + "--"},
        {"a part without headers", Delimiter() + "\r\n\r\nvalue\r\n" + Delimiter() + "--"},
        {"a header without a colon", Delimiter() + "\r\nContent-Disposition form-data\r\n\r\n1\r\n" + Delimiter() + "--"},
        {"a part without a name", Delimiter() + "\r\nContent-Disposition: form-data; filename=\"x\"\r\n\r\n1\r\n" +
                                     Delimiter() + "--"},
        {"not form-data", Delimiter() + "\r\nContent-Disposition: attachment; name=\"a\"\r\n\r\n1\r\n" + Delimiter() + "--"},
        {"a quote that never closes", Delimiter() + "\r\nContent-Disposition: form-data; name=\"a\r\n\r\n1\r\n" +
                                         Delimiter() + "--"},
        {"headers without end", Delimiter() + "\r\nX-Long: " + std::string(MultipartParser::kMaxHeaderBytes + 10, 'h')},
        {"too many parts", manyParts + Delimiter() + "--"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const auto result = Parse(c.body, kBoundary);
        EXPECT_FALSE(result.ok);
        EXPECT_FALSE(result.error.empty());
        EXPECT_TRUE(result.parts.empty());
    }
    EXPECT_FALSE(Parse(Delimiter() + part + Delimiter() + "--", "").ok);
    EXPECT_FALSE(Parse("x", std::string(MultipartParser::kMaxBoundaryLength + 1, 'b')).ok);
}

TEST(MultipartParserTest, BoundaryOfAContentType)
{
    struct Case {
        const char *contentType;
        const char *boundary;  // nullptr: none
    } cases[] = {
        {"multipart/form-data; boundary=----CppRestSdkClientAbc", "----CppRestSdkClientAbc"},
        {"Multipart/Form-Data;Boundary=\"quoted; with semicolon\"", "quoted; with semicolon"},
        {"multipart/form-data; charset=utf-8; boundary=b2", "b2"},
        {"multipart/form-data", nullptr},
        {"multipart/form-data; boundary=", nullptr},
        {"multipart/form-data; boundary=\"unclosed", nullptr},
        {"multipart/mixed; boundary=b", nullptr},
        {"application/x-www-form-urlencoded", nullptr},
        {"", nullptr},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.contentType);
        const auto boundary = MultipartParser::BoundaryOf(c.contentType);
        if (c.boundary == nullptr)
            EXPECT_FALSE(boundary.has_value()) << *boundary;
        else
            EXPECT_EQ(boundary.value_or("(none)"), c.boundary);
    }
}

}  // namespace
