#pragma once

#include <optional>
#include <string>
#include <vector>

// Machine translation with the Apertium programs Debian packages (apertium and a language pair
// such as apertium-eng-spa).
//
// Measured on the English-Spanish pair with two cores: one `apertium` run costs about 0.33 s of
// processor time before it reads a word (each stage loads its dictionaries), while forty lines
// cost about 0.03 s more. A process per request therefore kept both cores busy starting programs,
// and more requests at once could not finish sooner. So the stages of a pair's mode run resident,
// in null-flush mode, one pipeline for each request in flight: a request is all its lines in one
// block, each ended by the paragraph break the text deformatter itself would write, and the
// block's answer is complete when the null character that followed it comes out of the last
// stage. The deformatter and reformatter never flush, so their work is done here.
class ApertiumTranslator {
public:
    // The installed mode for two ISO 639-1 codes ("en", "es" -> "eng-spa"), or nothing.
    static std::optional<std::string> ModeFor(const std::string &from, const std::string &to);

    // Translates each line apart; nothing when apertium could not be run.
    static std::optional<std::vector<std::string>> Translate(const std::string &mode,
                                                             const std::vector<std::string> &lines);
};
