#pragma once

#include <optional>
#include <string>
#include <vector>

// Machine translation with the Apertium programs Debian packages (apertium and a language pair
// such as apertium-eng-spa). Each call runs one apertium process: measured on the English-Spanish
// pair, a process costs about 0.25 s for one line and 0.30 s for a batch of forty, nearly all of it
// start-up, and a batch is one call, so a resident translator would save little for the threads
// and the pipe protocol it would need.
class ApertiumTranslator {
public:
    // The installed mode for two ISO 639-1 codes ("en", "es" -> "eng-spa"), or nothing.
    static std::optional<std::string> ModeFor(const std::string &from, const std::string &to);

    // Translates each line apart; nothing when apertium could not be run.
    static std::optional<std::vector<std::string>> Translate(const std::string &mode,
                                                             const std::vector<std::string> &lines);

private:
    static std::optional<std::string> Run(const std::string &mode, const std::string &text);
};
