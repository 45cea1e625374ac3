#pragma once

#include <cpprest/json.h>

#include <optional>
#include <string>

// The chat endpoint's answer to a user message that asks for a translation ("task":"translate"):
// each line through Apertium with its id kept, each glossary term found in a line put in as its
// target, and the JSON object inside a code fence, as language models tend to answer.
class TranslationAnswer {
public:
    // The user message as a translation request, or nothing when it is not one.
    static std::optional<web::json::value> RequestIn(const std::string &content);

    // True with the model's text in `result`; false with why in `error` (no such pair, or the
    // translator could not run). `fault`: one of FaultSetting's answer faults, the way a model's
    // answer goes wrong that this one is to show; empty: none.
    static bool Answer(const web::json::value &request, const std::string &fault, std::string &result,
                       std::string &error);

private:
    // Each glossary source in `line` replaced by a placeholder the translator leaves alone.
    static std::string Protect(const std::string &line, const web::json::value &glossary);
    // The placeholders replaced by the glossary's targets, or by its sources when `sources`.
    static std::string Restore(const std::string &line, const web::json::value &glossary, bool sources);
    // The lines as the fault leaves them; false when the answer is to be prose alone.
    static bool Spoil(const std::string &fault, web::json::value &lines);
};
