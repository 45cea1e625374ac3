#include "EmulatorFixture.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cctype>
#include <thread>

namespace emulator_test {

web::json::value Json(const std::string &text)
{
    std::error_code error;
    auto value = web::json::value::parse(text, error);
    EXPECT_FALSE(error) << "not JSON: " << text.substr(0, 200);
    return error ? web::json::value::null() : value;
}

web::json::value JsonReply(const httplib::Result &res, int status)
{
    if (!res) {
        ADD_FAILURE() << "no reply: " << httplib::to_string(res.error());
        return web::json::value::null();
    }
    EXPECT_EQ(res->status, status) << res->body.substr(0, 200);
    EXPECT_EQ(res->get_header_value("Content-Type"), "application/json");
    return Json(res->body);
}

std::string WithMember(const std::string &json, const char *member, web::json::value value)
{
    auto body = Json(json);
    body[member] = std::move(value);
    return body.serialize();
}

std::string WithoutMember(const std::string &json, const char *member)
{
    auto body = Json(json);
    body.erase(member);
    return body.serialize();
}

std::string ChatBody(const std::string &topic)
{
    auto message = web::json::value::object();
    message["role"] = web::json::value::string("user");
    message["content"] = web::json::value::string(topic);
    auto body = web::json::value::object();
    body["messages"] = web::json::value::array({message});
    return body.serialize();
}

std::string TokenForm(const std::string &id, const std::string &secret)
{
    return "grant_type=client_credentials&client_id=" + httplib::detail::encode_query_param(id) +
           "&client_secret=" + httplib::detail::encode_query_param(secret);
}

std::string PercentEncode(const std::string &text, const std::string &unreserved)
{
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string out;
    for (const unsigned char c : text) {
        if ((std::isalnum(c) != 0 && c < 0x80) || unreserved.find(static_cast<char>(c)) != std::string::npos)
            out += static_cast<char>(c);
        else
            out += {'%', kDigits[c >> 4], kDigits[c & 0x0F]};
    }
    return out;
}

std::string Repeat(const std::string &piece, int times)
{
    std::string out;
    for (int i = 0; i < times; ++i)
        out += piece;
    return out;
}

std::int64_t EpochSeconds()
{
    return std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch())
        .count();
}

bool PollUntil(const std::function<bool()> &done, std::chrono::milliseconds interval, std::chrono::seconds limit)
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(interval);
    }
    return true;
}

std::string RawExchange(int port, const std::string &bytes, bool halfClose)
{
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    std::string reply;
    if (connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0) {
        (void)send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (halfClose)
            shutdown(fd, SHUT_WR);
        pollfd readable{fd, POLLIN, 0};
        char buffer[4096];
        while (poll(&readable, 1, 1000) > 0) {
            const auto got = recv(fd, buffer, sizeof buffer, 0);
            if (got <= 0)
                break;
            reply.append(buffer, static_cast<std::size_t>(got));
        }
    }
    close(fd);
    return reply;
}

}  // namespace emulator_test

void EmulatorTest::SetUp()
{
    server_ = std::make_unique<EmulatorServer>(Options());
    port_ = server_->Start();
    ASSERT_GT(port_, 0);
}

void EmulatorTest::TearDown() { server_->Stop(); }

httplib::Client EmulatorTest::Client() const
{
    httplib::Client client("127.0.0.1", port_);
    client.set_read_timeout(10, 0);
    return client;
}

std::string EmulatorTest::BaseUrl() const { return "http://127.0.0.1:" + std::to_string(port_); }

std::string EmulatorTest::Token() const
{
    const EmulatorOptions defaults = Options();
    const auto body = emulator_test::JsonReply(Client().Post(
        "/oauth/2.0/token", emulator_test::TokenForm(defaults.clientId, defaults.clientSecret),
        "application/x-www-form-urlencoded"));
    return body.has_string_field("access_token") ? body.at("access_token").as_string() : "";
}

httplib::Result EmulatorTest::PostChat(const std::string &token, const std::string &body) const
{
    return Client().Post(("/chat/v1/completions?access_token=" + token), body, "application/json");
}

web::json::value EmulatorTest::Call(const std::string &path, const std::string &body, const std::string &token) const
{
    return emulator_test::JsonReply(Client().Post(path + "?access_token=" + token, body, "application/json"));
}

void TokenTest::SetUp()
{
    EmulatorTest::SetUp();
    token_ = Token();
    ASSERT_FALSE(token_.empty());
}

void EmulatorTest::SetFault(const std::string &endpoint, const std::string &json) const
{
    auto res = Client().Post(("/__control/faults/" + endpoint), json, "application/json");
    ASSERT_TRUE(res);
    ASSERT_EQ(res->status, 200) << res->body;
}
