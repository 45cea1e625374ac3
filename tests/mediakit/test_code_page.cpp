#include "mediakit/CodePage936.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(CodePage936Text, ConvertsWhatItCanRepresentAndEmptiesTheRest)
{
    EXPECT_EQ(CodePage936::FromUtf8("ab中文"), std::string("ab\xD6\xD0\xCE\xC4"));
    EXPECT_EQ(CodePage936::ToUtf8("ab\xD6\xD0\xCE\xC4"), "ab中文");
    EXPECT_EQ(CodePage936::FromUtf8("录音😀.wav"), "") << "an emoji has no place in the code page";
    EXPECT_EQ(CodePage936::FromUtf8("\xC3\x28"), "") << "bytes that are not UTF-8";
    EXPECT_EQ(CodePage936::ToUtf8("\x81"), "") << "a lead byte without its second byte";
    const std::string longText(5000, 'x');
    EXPECT_EQ(CodePage936::FromUtf8(longText + "中"), longText + "\xD6\xD0");
}

} // namespace
