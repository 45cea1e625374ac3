#include "ApertiumTranslator.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <map>
#include <memory>
#include <mutex>
#include <string_view>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace {

// Where Debian's pairs install the modes apertium runs.
constexpr const char *kModeFolder = "/usr/share/apertium/modes/";
// What the text deformatter writes for a blank line: a period the reformatter takes out again,
// which lets the tagger end a sentence there, and the break as a superblank no stage reorders
// words across, so each line's translation stays its own.
constexpr const char *kLineEnd = ".[][\n\n]";
constexpr const char *kBreak = "[][\n\n]";
// A pipeline that has not answered a block of forty captions by then is stuck.
constexpr auto kAnswerLimit = std::chrono::seconds(30);

const std::map<std::string, std::string> &ThreeLetterCodes()
{
    static const std::map<std::string, std::string> codes{
        {"en", "eng"}, {"es", "spa"}, {"ca", "cat"}, {"fr", "fra"}, {"pt", "por"}, {"it", "ita"}, {"de", "deu"}};
    return codes;
}

// The line with runs of white space as one space: a break inside it would be read as format.
std::string Simplified(const std::string &text)
{
    std::string simple;
    for (const char c : text) {
        const bool space = c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v' || c == '\0';
        if (!space)
            simple += c;
        else if (!simple.empty() && simple.back() != ' ')
            simple += ' ';
    }
    if (!simple.empty() && simple.back() == ' ')
        simple.pop_back();
    return simple;
}

// As the text deformatter escapes: the characters the stream format reserves, and the ones it
// would otherwise take for format.
std::string Escaped(const std::string &text)
{
    std::string escaped;
    for (const char c : text) {
        if (std::string_view("\\[]^$/@<>{}~").find(c) != std::string_view::npos)
            escaped += '\\';
        escaped += c;
    }
    return escaped;
}

// As the text reformatter reads one line's answer: the period before the break taken out, the
// escapes and any superblank's brackets removed.
std::string Plain(std::string piece)
{
    if (!piece.empty() && piece.back() == '.' && (piece.size() < 2 || piece[piece.size() - 2] != '\\'))
        piece.pop_back();
    std::string plain;
    for (size_t i = 0; i < piece.size(); ++i) {
        if (piece[i] == '\\' && i + 1 < piece.size())
            plain += piece[++i];
        else if (piece[i] != '[' && piece[i] != ']' && piece[i] != '\0')
            plain += piece[i];
    }
    return Simplified(plain);
}

// The mode's stages with null flushing on, as a shell command taking the generator's option as
// its first argument; empty when the tool that writes it is missing.
std::string FlushingCommand(const std::string &mode)
{
    int out[2];
    if (pipe2(out, O_CLOEXEC) != 0)
        return {};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    const std::string file = kModeFolder + mode + ".mode";
    const char *argv[] = {"apertium-wblank-mode", "-z", file.c_str(), nullptr};
    pid_t child = 0;
    const bool spawned =
        posix_spawnp(&child, argv[0], &actions, nullptr, const_cast<char **>(argv), environ) == 0;
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    std::string command;
    char buffer[4096];
    for (ssize_t got; spawned && (got = read(out[0], buffer, sizeof buffer)) > 0;)
        command.append(buffer, size_t(got));
    close(out[0]);
    int status = 0;
    if (!spawned || waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return {};
    return command;
}

// One resident run of a mode's stages, used by one request at a time.
class Pipeline {
public:
    explicit Pipeline(const std::string &command)
    {
        int in[2];
        int out[2];
        if (pipe2(in, O_CLOEXEC) != 0)
            return;
        if (pipe2(out, O_CLOEXEC) != 0) {
            close(in[0]);
            close(in[1]);
            return;
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, in[0], STDIN_FILENO);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        // A group of its own, so that a stuck pipeline is ended stage and all.
        posix_spawnattr_t attributes;
        posix_spawnattr_init(&attributes);
        posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
        posix_spawnattr_setpgroup(&attributes, 0);
        // "-n": unknown words unmarked, as `apertium -u` runs the generator.
        const char *argv[] = {"bash", "-c", command.c_str(), "apertium", "-n", nullptr};
        if (posix_spawnp(&m_group, "bash", &actions, &attributes, const_cast<char **>(argv), environ) != 0)
            m_group = 0;
        posix_spawnattr_destroy(&attributes);
        posix_spawn_file_actions_destroy(&actions);
        close(in[0]);
        close(out[1]);
        m_in = in[1];
        m_out = out[0];
        fcntl(m_in, F_SETFL, O_NONBLOCK);
        fcntl(m_out, F_SETFL, O_NONBLOCK);
    }

    ~Pipeline()
    {
        if (m_in >= 0)
            close(m_in);
        if (m_out >= 0)
            close(m_out);
        if (m_group > 0) {
            kill(-m_group, SIGTERM);
            waitpid(m_group, nullptr, 0);
        }
    }

    Pipeline(const Pipeline &) = delete;
    Pipeline &operator=(const Pipeline &) = delete;

    bool Running() const { return m_group > 0; }

    // The translation of one block, read up to the null character that flushed it. Written and
    // read together: a block longer than a pipe holds would otherwise wait on its own answer.
    std::optional<std::string> Exchange(const std::string &block)
    {
        const std::string sent = block + '\0';
        size_t written = 0;
        std::string answer;
        const auto deadline = std::chrono::steady_clock::now() + kAnswerLimit;
        for (;;) {
            pollfd fds[2] = {{m_out, POLLIN, 0}, {written < sent.size() ? m_in : -1, POLLOUT, 0}};
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0 || poll(fds, 2, int(left.count())) <= 0)
                return std::nullopt;
            if (fds[1].revents & (POLLERR | POLLHUP))
                return std::nullopt;
            if (fds[1].revents & POLLOUT) {
                const ssize_t put = write(m_in, sent.data() + written, sent.size() - written);
                if (put < 0 && errno != EAGAIN)
                    return std::nullopt;
                written += size_t(std::max<ssize_t>(put, 0));
            }
            if (fds[0].revents & (POLLIN | POLLHUP)) {
                char buffer[8192];
                const ssize_t got = read(m_out, buffer, sizeof buffer);
                if (got == 0 || (got < 0 && errno != EAGAIN))
                    return std::nullopt;
                answer.append(buffer, size_t(std::max<ssize_t>(got, 0)));
                // A flush of an earlier block's stage may lead; the answer is what ends in this one's.
                const size_t start = answer.find_first_not_of('\0');
                if (start != std::string::npos) {
                    const size_t end = answer.find('\0', start);
                    if (end != std::string::npos && written == sent.size())
                        return answer.substr(start, end - start);
                }
            }
        }
    }

private:
    pid_t m_group = 0;
    int m_in = -1;
    int m_out = -1;
};

// The idle pipelines of each mode. A request takes one or starts one, so there are as many as
// requests ever ran at once, each paying the start-up once.
class Pool {
public:
    std::unique_ptr<Pipeline> Take(const std::string &mode)
    {
        std::string command;
        {
            const std::lock_guard lock(m_mutex);
            auto &idle = m_idle[mode];
            if (!idle.empty()) {
                auto pipeline = std::move(idle.back());
                idle.pop_back();
                return pipeline;
            }
            auto &known = m_commands[mode];
            if (known.empty())
                known = FlushingCommand(mode);
            command = known;
        }
        if (command.empty())
            return nullptr;
        auto pipeline = std::make_unique<Pipeline>(command);
        return pipeline->Running() ? std::move(pipeline) : nullptr;
    }

    void Give(const std::string &mode, std::unique_ptr<Pipeline> pipeline)
    {
        const std::lock_guard lock(m_mutex);
        m_idle[mode].push_back(std::move(pipeline));
    }

private:
    std::mutex m_mutex;
    std::map<std::string, std::string> m_commands;
    std::map<std::string, std::vector<std::unique_ptr<Pipeline>>> m_idle;
};

Pool &Pipelines()
{
    static Pool pool;
    return pool;
}

// Each line's translation from a block's answer; nothing when the answer does not hold count lines.
std::optional<std::vector<std::string>> Lines(const std::string &answer, size_t count)
{
    std::vector<std::string> lines;
    const std::string_view breakMark(kBreak);
    size_t at = 0;
    for (size_t next = answer.find(breakMark, at); next != std::string::npos; next = answer.find(breakMark, at)) {
        lines.push_back(Plain(answer.substr(at, next - at)));
        at = next + breakMark.size();
    }
    if (lines.size() != count || !Simplified(answer.substr(at)).empty())
        return std::nullopt;
    return lines;
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

std::optional<std::vector<std::string>> ApertiumTranslator::Translate(const std::string &mode,
                                                                      const std::vector<std::string> &lines)
{
    // Empty lines are not sent: two breaks in a row would read as one.
    std::vector<size_t> sent;
    std::string block;
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string line = Simplified(lines[i]);
        if (line.empty())
            continue;
        sent.push_back(i);
        block += Escaped(line) + kLineEnd;
    }
    std::vector<std::string> translated(lines.size());
    if (sent.empty())
        return translated;
    std::unique_ptr<Pipeline> pipeline = Pipelines().Take(mode);
    if (!pipeline)
        return std::nullopt;
    const auto answer = pipeline->Exchange(block);
    if (!answer)
        return std::nullopt; // the pipeline is ended with its owner, not given back
    std::optional<std::vector<std::string>> read = Lines(*answer, sent.size());
    if (!read) {
        // A line the pair split: asked one by one, so each keeps its own.
        read.emplace();
        for (const size_t i : sent) {
            const auto one = pipeline->Exchange(Escaped(Simplified(lines[i])) + kLineEnd);
            if (!one)
                return std::nullopt;
            const auto alone = Lines(*one, 1);
            read->push_back(alone ? alone->front() : Plain(*one));
        }
    }
    for (size_t i = 0; i < sent.size(); ++i)
        translated[sent[i]] = (*read)[i];
    Pipelines().Give(mode, std::move(pipeline));
    return translated;
}
