#include "EnglishRecognizer.h"

#include <pocketsphinx.h>
#include <sphinxbase/err.h>

#include <filesystem>
#include <mutex>

namespace {

// The decoder's frames are 10 ms apart.
constexpr int kFrameMs = 10;

// Fillers are bracketed (<sil>, [NOISE], ++BREATH++); alternative pronunciations carry "(2)".
bool IsFiller(const std::string &word)
{
    return word.empty() || word.front() == '<' || word.front() == '[' || word.front() == '+';
}

std::string BaseWord(std::string word)
{
    const auto paren = word.find('(');
    if (paren != std::string::npos && paren > 0)
        word.resize(paren);
    return word;
}

}  // namespace

EnglishRecognizer::EnglishRecognizer()
{
    // The library logs every step of loading and decoding to standard error.
    static std::once_flag quiet;
    std::call_once(quiet, [] { err_set_logfp(nullptr); });

    const std::filesystem::path folder = kModelFolder;
    const std::string acoustic = (folder / "en-us").string();
    const std::string language = (folder / "en-us.lm.bin").string();
    const std::string dictionary = (folder / "cmudict-en-us.dict").string();
    for (const auto &file : {acoustic, language, dictionary}) {
        if (!std::filesystem::exists(file)) {
            error_ = "the English speech model is not installed (" + file + " is missing)";
            return;
        }
    }
    config_ = cmd_ln_init(nullptr, ps_args(), TRUE, "-hmm", acoustic.c_str(), "-lm", language.c_str(), "-dict",
                          dictionary.c_str(), nullptr);
    decoder_ = config_ ? ps_init(config_) : nullptr;
    if (decoder_ == nullptr)
        error_ = "the English speech model cannot be loaded from " + folder.string();
}

EnglishRecognizer::~EnglishRecognizer()
{
    if (decoder_ != nullptr)
        ps_free(decoder_);
    if (config_ != nullptr)
        cmd_ln_free_r(config_);
}

std::vector<RecognizedWord> EnglishRecognizer::Recognize(const std::int16_t *samples, std::size_t count)
{
    std::vector<RecognizedWord> words;
    if (decoder_ == nullptr || count == 0)
        return words;
    if (ps_start_utt(decoder_) < 0)
        return words;
    ps_process_raw(decoder_, samples, count, FALSE, TRUE);
    ps_end_utt(decoder_);
    for (ps_seg_t *segment = ps_seg_iter(decoder_); segment != nullptr; segment = ps_seg_next(segment)) {
        const char *text = ps_seg_word(segment);
        const std::string word = BaseWord(text ? text : "");
        if (IsFiller(word))
            continue;
        int first = 0;
        int last = 0;
        ps_seg_frames(segment, &first, &last);
        words.push_back({word, static_cast<std::int64_t>(first) * kFrameMs, static_cast<std::int64_t>(last + 1) * kFrameMs});
    }
    return words;
}
