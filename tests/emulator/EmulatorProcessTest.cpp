// Starts the built program as the run script does: read the first line for the port, use it,
// then stop it with a signal and expect a clean exit.
#include "EmulatorFixture.h"

#include <QProcess>

#include <csignal>
#include <regex>
#include <string>

namespace {

TEST(EmulatorProcessTest, ServesTokensUntilSignalled)
{
    struct Case {
        QStringList args;
        std::string id;
        std::string secret;
        int signal;
    } cases[] = {
        {{}, "qov-local-key", "qov-local-secret", SIGTERM},
        {{"--port=0", "--client-id", "ci-key", "--client-secret=c&i=secret"}, "ci-key", "c&i=secret", SIGINT},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.id);
        // Killed by its destructor if the test fails early.
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        child.start(AIGC_EMULATOR_BIN, c.args);
        // The whole first line, however its bytes arrive.
        while (!child.canReadLine() && child.waitForReadyRead(10000)) {
        }
        const std::string line = child.readLine().toStdString();
        std::smatch match;
        ASSERT_TRUE(std::regex_match(line, match, std::regex(R"(aigc-emulator listening on http://127\.0\.0\.1:(\d+)\n)")))
            << line;

        httplib::Client client("127.0.0.1", std::stoi(match[1]));
        auto res = client.Post("/oauth/2.0/token", emulator_test::TokenForm(c.id, c.secret),
                               "application/x-www-form-urlencoded");
        ASSERT_TRUE(res);
        EXPECT_EQ(res->status, 200) << res->body;
        client.stop();

        ::kill(static_cast<pid_t>(child.processId()), c.signal);
        ASSERT_TRUE(child.waitForFinished(10000)) << "still running ten seconds after the signal";
        EXPECT_EQ(child.exitStatus(), QProcess::NormalExit) << "ended by the signal rather than exiting";
        EXPECT_EQ(child.exitCode(), 0);
    }
}

}  // namespace
