#include "ImageFixture.h"

#include <algorithm>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

using emulator_test::Json;
using emulator_test::Repeat;
using image_test::CreateBody;
using Clock = std::chrono::steady_clock;

namespace {

constexpr const char *kInvalidToken = "Access token invalid or no longer valid";

std::string WithMember(const std::string &name, const std::string &json)
{
    return R"({"prompt":"a lake","width":512,"height":512,"image_num":1,")" + name + "\":" + json + "}";
}

void ExpectFailure(const web::json::value &reply, int code, const std::string &message)
{
    EXPECT_TRUE(reply.has_number_field("log_id")) << reply.serialize();
    EXPECT_FALSE(reply.has_field("data"));
    ASSERT_TRUE(reply.has_number_field("error_code")) << reply.serialize();
    EXPECT_EQ(reply.at("error_code").as_integer(), code);
    EXPECT_EQ(reply.at("error_msg").as_string(), message);
}

TEST_F(ImageTest, CreationFailuresAreReportedInTheBody)
{
    const QImage tiny(8, 8, QImage::Format_RGB32);
    struct Case {
        const char *name;
        std::string body;
        int code;  // 0: accepted
        const char *message;
    } cases[] = {
        {"not json", "{\"prompt\":", 282004, "invalid json"},
        {"not an object", "[1]", 282004, "invalid json"},
        {"no prompt", R"({"width":512,"height":512,"image_num":1})", 282003, "missing parameters"},
        {"no width", R"({"prompt":"p","height":512,"image_num":1})", 282003, "missing parameters"},
        {"no height", R"({"prompt":"p","width":512,"image_num":1})", 282003, "missing parameters"},
        {"no count", R"({"prompt":"p","width":512,"height":512})", 282003, "missing parameters"},
        {"null prompt", R"({"prompt":null,"width":512,"height":512,"image_num":1})", 282003, "missing parameters"},
        {"size not listed", CreateBody("p", 512, 513, 1), 216100, "invalid param"},
        {"square of another size", CreateBody("p", 720, 720, 1), 216100, "invalid param"},
        {"landscape size turned", CreateBody("p", 1280, 360, 1), 216100, "invalid param"},
        {"width as text", R"({"prompt":"p","width":"512","height":512,"image_num":1})", 216100, "invalid param"},
        {"width with a fraction", R"({"prompt":"p","width":512.5,"height":512,"image_num":1})", 216100,
         "invalid param"},
        {"no pictures", CreateBody("p", 512, 512, 0), 216100, "invalid param"},
        {"too many pictures", CreateBody("p", 512, 512, 9), 216100, "invalid param"},
        {"count beyond int", R"({"prompt":"p","width":512,"height":512,"image_num":4294967297})", 216100,
         "invalid param"},
        {"empty prompt", CreateBody("", 512, 512, 1), 216100, "invalid param"},
        {"blank prompt", CreateBody(" \t ", 512, 512, 1), 216100, "invalid param"},
        {"prompt not text", R"({"prompt":7,"width":512,"height":512,"image_num":1})", 216100, "invalid param"},
        {"prompt of 1001 characters", CreateBody(Repeat("湖", 1001), 512, 512, 1), 216100, "invalid param"},
        {"reference not base64", WithMember("image", "\"not base64!\""), 216100, "invalid param"},
        {"reference with a data prefix",
         WithMember("image", "\"data:image/png;base64," + image_test::EncodedImage(tiny, "PNG") + "\""), 216100,
         "invalid param"},
        {"reference not a picture", WithMember("image", "\"aGVsbG8gd29ybGQ=\""), 216100, "invalid param"},
        {"reference in another format", WithMember("image", "\"" + image_test::EncodedImage(tiny, "BMP") + "\""),
         216100, "invalid param"},
        {"reference not text", WithMember("image", "[1]"), 216100, "invalid param"},
        {"change degree too low", WithMember("change_degree", "0"), 216100, "invalid param"},
        {"change degree too high", WithMember("change_degree", "11"), 216100, "invalid param"},
        {"other version", WithMember("version", "\"v1\""), 216100, "invalid param"},
        {"eight pictures", CreateBody("p", 512, 512, 8), 0, ""},
        {"prompt of 1000 characters", CreateBody(Repeat("湖", 1000), 512, 512, 1), 0, ""},
        {"portrait", CreateBody("p", 360, 640, 1), 0, ""},
        {"PNG reference", WithMember("image", "\"" + image_test::EncodedImage(tiny, "PNG") + "\""), 0, ""},
        {"JPEG reference", WithMember("image", "\"" + image_test::EncodedImage(tiny, "JPEG") + "\""), 0, ""},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const auto reply = Create(c.body);
        if (c.code != 0) {
            ExpectFailure(reply, c.code, c.message);
            continue;
        }
        EXPECT_FALSE(reply.has_field("error_code")) << reply.serialize();
        EXPECT_TRUE(reply.has_number_field("log_id"));
        ASSERT_TRUE(reply.has_object_field("data")) << reply.serialize();
        EXPECT_TRUE(reply.at("data").at("task_id").is_integer());
    }
}

// Both calls want a token the service issued, checked before anything else.
TEST_F(ImageTest, QueryFailuresAndCallsWithoutATokenAreReportedInTheBody)
{
    const auto known = Start(CreateBody("p", 512, 512, 1));
    const std::string create = image_test::kCreatePath;
    const std::string query = image_test::kQueryPath;
    const std::string forged = "0123456789abcdef0123456789abcdef.1.1";
    struct Case {
        const char *name;
        std::string path;
        std::string token;
        std::string body;
        int code;
        const char *message;
    } cases[] = {
        {"create without token", create, "", CreateBody("p", 512, 512, 1), 110, kInvalidToken},
        {"create with an unknown token", create, forged, CreateBody("p", 512, 512, 1), 110, kInvalidToken},
        {"query without token", query, "", CreateBody("p", 512, 512, 1), 110, kInvalidToken},
        {"query with an unknown token", query, forged, CreateBody("p", 512, 512, 1), 110, kInvalidToken},
        {"not json", query, token_, "task_id=1", 282004, "invalid json"},
        {"no task id", query, token_, "{}", 282003, "missing parameters"},
        {"null task id", query, token_, R"({"task_id":null})", 282003, "missing parameters"},
        {"unknown task", query, token_, R"({"task_id":"123"})", 282004, "task not found"},
        {"unknown numeric task", query, token_, R"({"task_id":123})", 282004, "task not found"},
        {"task id with trailing text", query, token_, "{\"task_id\":\"" + std::to_string(known) + "x\"}", 282004,
         "task not found"},
        {"negative task id", query, token_, R"({"task_id":-1})", 282004, "task not found"},
        {"task id an object", query, token_, R"({"task_id":{}})", 216100, "invalid param"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        ExpectFailure(Call(c.path, c.body, c.token), c.code, c.message);
    }
}

// Statuses only ever move forward, the task is seen running, and it never succeeds sooner than
// a polling client could have watched it progress.
TEST_F(ImageTest, TaskRunsFromInitThroughRunningToSuccess)
{
    const auto sent = Clock::now();
    const auto id = Start(CreateBody("harbour at dusk", 512, 512, 3));
    const std::vector<std::string> order = {"INIT", "RUNNING", "SUCCESS"};
    std::vector<std::string> seen;
    web::json::value done;
    while (Clock::now() - sent < image_test::kTaskTimeout) {
        const auto polled = Clock::now();
        const auto reply = Query("\"" + std::to_string(id) + "\"");
        ASSERT_TRUE(reply.has_object_field("data")) << reply.serialize();
        const auto &data = reply.at("data");
        EXPECT_EQ(data.at("task_id").as_number().to_int64(), id);
        const auto status = data.at("task_status").as_string();
        if (seen.empty() && polled - sent < std::chrono::milliseconds(200)) {
            EXPECT_EQ(status, "INIT");
        }
        ASSERT_NE(std::find(order.begin(), order.end(), status), order.end()) << status;
        if (!seen.empty()) {
            EXPECT_GE(std::find(order.begin(), order.end(), status), std::find(order.begin(), order.end(), seen.back()));
        }
        seen.push_back(status);
        if (status == "SUCCESS") {
            EXPECT_GE(Clock::now() - sent, std::chrono::milliseconds(800));
            done = data;
            break;
        }
        EXPECT_TRUE(data.at("task_progress").is_integer());
        EXPECT_EQ(data.at("task_progress").as_integer(), 0);
        const auto &subTasks = data.at("sub_task_result_list").as_array();
        ASSERT_EQ(subTasks.size(), 3u);
        for (const auto &entry : subTasks) {
            EXPECT_EQ(entry.at("sub_task_status").as_string(), "RUNNING");
            EXPECT_EQ(entry.at("sub_task_progress").as_integer(), 0);
            EXPECT_EQ(entry.at("final_image_list").size(), 0u);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(40));
    }
    EXPECT_NE(std::find(seen.begin(), seen.end(), "RUNNING"), seen.end());
    ASSERT_TRUE(done.is_object());

    EXPECT_TRUE(done.at("task_progress").is_integer());
    EXPECT_EQ(done.at("task_progress").as_integer(), 1);
    const auto &subTasks = done.at("sub_task_result_list").as_array();
    ASSERT_EQ(subTasks.size(), 3u);
    const auto now = emulator_test::EpochSeconds();
    for (std::size_t k = 0; k < subTasks.size(); ++k) {
        SCOPED_TRACE(k);
        const auto &entry = subTasks.at(k);
        EXPECT_EQ(entry.at("sub_task_status").as_string(), "SUCCESS");
        EXPECT_EQ(entry.at("sub_task_progress").as_integer(), 1);
        EXPECT_EQ(entry.at("sub_task_error_code").as_integer(), 0);
        // Sizes, reviews and the pictures themselves are checked where pictures are drawn.
        ASSERT_EQ(entry.at("final_image_list").size(), 1u);
        const auto url = entry.at("final_image_list").at(0).at("img_url").as_string();
        const auto prefix = BaseUrl() + "/files/img/" + std::to_string(id) + "/" + std::to_string(id) + "_" + std::to_string(k) + ".png?sign=";
        EXPECT_EQ(url.rfind(prefix, 0), 0u) << url;
        const auto expires = url.find("&expires=");
        ASSERT_NE(expires, std::string::npos) << url;
        EXPECT_GT(std::stoll(url.substr(expires + 9)), now);
        const auto res = Fetch(url);
        ASSERT_TRUE(res);
        EXPECT_EQ(res->status, 200);
        EXPECT_EQ(res->get_header_value("Content-Type"), "image/png");
    }
    // The id may come back as the number it was handed out as.
    EXPECT_EQ(Query(std::to_string(id)).at("data").at("task_status").as_string(), "SUCCESS");
}

TEST_F(ImageTest, PictureAddressesFollowTheHostAndNameOnlyDrawnPictures)
{
    const auto number = Start(CreateBody("p", 512, 512, 2));
    AwaitSuccess(number);
    const auto id = std::to_string(number);
    auto client = Client();
    client.set_default_headers({{"Host", "localhost:" + std::to_string(port_)}});
    auto res = client.Post(std::string(image_test::kQueryPath) + "?access_token=" + token_,
                           "{\"task_id\":\"" + id + "\"}", "application/json");
    ASSERT_TRUE(res);
    const auto url = Json(res->body).at("data").at("sub_task_result_list").at(0).at("final_image_list").at(0)
                         .at("img_url").as_string();
    EXPECT_EQ(url.rfind("http://localhost:" + std::to_string(port_) + "/files/img/", 0), 0u) << url;

    for (const std::string &path : {"/files/img/" + id + "/" + id + "_2.png", "/files/img/" + id + "/" + id + "_99999999999999999999.png",
                                   std::string("/files/img/1/1_0.png"), "/files/img/" + id + "/" + id + "_0.jpg"}) {
        SCOPED_TRACE(path);
        res = Client().Get(path);
        ASSERT_TRUE(res);
        EXPECT_EQ(res->status, 404);
        EXPECT_TRUE(Json(res->body).has_string_field("error"));
    }
    EXPECT_EQ(Client().Get("/files/img/" + id + "/" + id + "_1.png?any=thing")->status, 200);
    EXPECT_EQ(Client().Post("/files/img/" + id + "/" + id + "_1.png", "", "image/png")->status, 405);
}

// Stopping must not wait for a large set to be drawn, only for the picture being drawn.
TEST_F(ImageTest, StoppingAbandonsPendingDrawing)
{
    Start(CreateBody("a big set", 2560, 1440, 8));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    const auto start = Clock::now();
    server_->Stop();
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(2));
}

}  // namespace
