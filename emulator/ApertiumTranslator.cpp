#include "ApertiumTranslator.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace {

// Where Debian's pairs install the modes apertium runs.
constexpr const char *kModeFolder = "/usr/share/apertium/modes/";
// A blank line between lines keeps Apertium's rules from reordering words across them.
constexpr const char *kLineBreak = "\n\n";

const std::map<std::string, std::string> &ThreeLetterCodes()
{
    static const std::map<std::string, std::string> codes{
        {"en", "eng"}, {"es", "spa"}, {"ca", "cat"}, {"fr", "fra"}, {"pt", "por"}, {"it", "ita"}, {"de", "deu"}};
    return codes;
}

std::string Trimmed(const std::string &text)
{
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos)
        return {};
    const auto last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}

std::vector<std::string> Paragraphs(const std::string &text)
{
    std::vector<std::string> paragraphs;
    size_t at = 0;
    for (;;) {
        const size_t next = text.find(kLineBreak, at);
        const std::string paragraph = Trimmed(text.substr(at, next == std::string::npos ? std::string::npos : next - at));
        if (!paragraph.empty())
            paragraphs.push_back(paragraph);
        if (next == std::string::npos)
            return paragraphs;
        at = next + 2;
    }
}

}  // namespace

std::optional<std::string> ApertiumTranslator::ModeFor(const std::string &from, const std::string &to)
{
    const auto &codes = ThreeLetterCodes();
    const auto source = codes.find(from);
    const auto target = codes.find(to);
    if (source == codes.end() || target == codes.end())
        return std::nullopt;
    const std::string mode = source->second + "-" + target->second;
    if (access((kModeFolder + mode + ".mode").c_str(), R_OK) != 0)
        return std::nullopt;
    return mode;
}

std::optional<std::string> ApertiumTranslator::Run(const std::string &mode, const std::string &text)
{
    // Files rather than pipes: apertium is a pipeline of its own, and a file never blocks either side.
    const std::string folder = std::filesystem::temp_directory_path().string();
    std::string inputName = folder + "/aigc-apertium-in-XXXXXX";
    std::string outputName = folder + "/aigc-apertium-out-XXXXXX";
    const int input = mkstemp(inputName.data());
    const int output = mkstemp(outputName.data());
    std::optional<std::string> result;
    if (input >= 0 && output >= 0 && write(input, text.data(), text.size()) == ssize_t(text.size())) {
        const char *argv[] = {"apertium", "-u", mode.c_str(), inputName.c_str(), outputName.c_str(), nullptr};
        pid_t child = 0;
        int status = 0;
        if (posix_spawnp(&child, "apertium", nullptr, nullptr, const_cast<char **>(argv), environ) == 0 &&
            waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0) {
            std::ifstream read(outputName, std::ios::binary);
            std::ostringstream bytes;
            bytes << read.rdbuf();
            result = bytes.str();
        }
    }
    for (const int descriptor : {input, output}) {
        if (descriptor >= 0)
            close(descriptor);
    }
    if (input >= 0)
        unlink(inputName.c_str());
    if (output >= 0)
        unlink(outputName.c_str());
    return result;
}

std::optional<std::vector<std::string>> ApertiumTranslator::Translate(const std::string &mode,
                                                                      const std::vector<std::string> &lines)
{
    std::string text;
    for (const std::string &line : lines)
        text += Trimmed(line) + kLineBreak;
    const auto translated = Run(mode, text);
    if (!translated)
        return std::nullopt;
    std::vector<std::string> paragraphs = Paragraphs(*translated);
    if (paragraphs.size() == lines.size())
        return paragraphs;
    // An empty line or one the pair split: asked one by one, so each keeps its own.
    paragraphs.clear();
    for (const std::string &line : lines) {
        const auto one = Run(mode, Trimmed(line) + "\n");
        if (!one)
            return std::nullopt;
        paragraphs.push_back(Trimmed(*one));
    }
    return paragraphs;
}
