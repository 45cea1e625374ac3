// Starts the built program as the run script does: read the first line for the port, use it,
// then stop it with a signal and expect a clean exit.
#include "EmulatorFixture.h"

#include <csignal>
#include <cstdio>
#include <regex>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

// The program as a child process whose stdout the test reads; killed if a test fails early.
class Child {
public:
    explicit Child(std::vector<std::string> args)
    {
        // Everything allocated before fork: the child only calls what is safe after it.
        args.insert(args.begin(), AIGC_EMULATOR_BIN);
        std::vector<char *> argv;
        for (auto &arg : args)
            argv.push_back(arg.data());
        argv.push_back(nullptr);
        int out[2];
        if (pipe(out) != 0)
            return;
        pid_ = fork();
        if (pid_ == 0) {
            dup2(out[1], STDOUT_FILENO);
            close(out[0]);
            execv(argv[0], argv.data());
            _exit(127);
        }
        close(out[1]);
        out_ = fdopen(out[0], "r");
    }
    ~Child()
    {
        if (out_)
            fclose(out_);
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
    }

    std::string FirstLine()
    {
        char line[256] = {};
        return out_ && fgets(line, sizeof line, out_) ? line : "";
    }

    // The exit code after `signal`, or -1 when the child died of a signal or is still running
    // after ten seconds.
    int ExitCodeAfter(int signal)
    {
        kill(pid_, signal);
        int status = 0;
        if (!emulator_test::PollUntil([&] { return waitpid(pid_, &status, WNOHANG) == pid_; },
                                      std::chrono::milliseconds(20), std::chrono::seconds(10)))
            return -1;
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

private:
    pid_t pid_ = -1;
    FILE *out_ = nullptr;
};

TEST(EmulatorProcessTest, ServesTokensUntilSignalled)
{
    struct Case {
        std::vector<std::string> args;
        std::string id;
        std::string secret;
        int signal;
    } cases[] = {
        {{}, "qov-local-key", "qov-local-secret", SIGTERM},
        {{"--port=0", "--client-id", "ci-key", "--client-secret=c&i=secret"}, "ci-key", "c&i=secret", SIGINT},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.id);
        Child child(c.args);
        // A program that never prints blocks here; ctest's timeout then reports it.
        const std::string line = child.FirstLine();
        std::smatch match;
        ASSERT_TRUE(std::regex_match(line, match, std::regex(R"(aigc-emulator listening on http://127\.0\.0\.1:(\d+)\n)")))
            << line;

        httplib::Client client("127.0.0.1", std::stoi(match[1]));
        auto res = client.Post("/oauth/2.0/token", emulator_test::TokenForm(c.id, c.secret),
                               "application/x-www-form-urlencoded");
        ASSERT_TRUE(res);
        EXPECT_EQ(res->status, 200) << res->body;
        client.stop();

        EXPECT_EQ(child.ExitCodeAfter(c.signal), 0);
    }
}

}  // namespace
