// The language tags subtitle streams get: from a code the user writes and from a file's name.
#include "mediakit/LanguageCode.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

namespace {

TEST(LanguageCode, CodesAndFileNamesGiveTheBibliographicTag)
{
    const struct
    {
        const char* code;
        const char* tag;
    } codes[] = {{"es", "spa"}, {"ZH", "chi"}, {"de", "ger"}, {"eng", "eng"}, {"xx", ""}, {"e1", ""}, {"", ""}};
    for (const auto& c : codes)
        EXPECT_EQ(LanguageCode::Iso6392(c.code), QString(c.tag)) << c.code;

    const struct
    {
        const char* path;
        const char* tag;
    } names[] = {
        {"/films/talk.es.srt", "spa"}, {"talk.fre.vtt", "fre"}, {"talk.srt", ""},
        // A tag of three letters counts only when it is a language: a cut is not one.
        {"talk.cut.srt", ""}, {"my.talk.zh.ass", "chi"}, {"talk.xx.srt", ""},
    };
    for (const auto& c : names)
        EXPECT_EQ(LanguageCode::FromFileName(c.path), QString(c.tag)) << c.path;
}

} // namespace
