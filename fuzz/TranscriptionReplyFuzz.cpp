// Whatever the file-transcription service sends with status 200, each endpoint's reading gives a
// code (never the codes the object keeps for itself) and a result's sentences read as far as they
// are whole.
#include "subtitles/WttReply.h"
#include "subtitles/WttSentences.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string reply(reinterpret_cast<const char*>(data), size);
    for (const nsWtt::Endpoint endpoint :
         {nsWtt::Endpoint::Prepare, nsWtt::Endpoint::Merge, nsWtt::Endpoint::Progress, nsWtt::Endpoint::Result}) {
        utility::string_t out;
        const int32_t code = nsWtt::ReadReply(endpoint, reply, out);
        if (endpoint == nsWtt::Endpoint::Progress && code == 0 && !out.empty())
            __builtin_trap(); // an accepted reply without data has no description
        if (endpoint == nsWtt::Endpoint::Result && code == 0) {
            std::vector<nsWtt::stWavResult> sentences;
            nsWtt::ReadSentences(out, sentences);
            if (sentences.size() > out.size())
                __builtin_trap();
        }
    }
    std::vector<nsWtt::stWavResult> sentences;
    nsWtt::ReadSentences(reply, sentences);
    for (const nsWtt::stWavResult& sentence : sentences) {
        if (sentence.further != 0 || sentence.textCopy.size() > qsizetype(sentence.text.size()))
            __builtin_trap();
    }
    return 0;
}
