#include "PaintingWindowFixture.h"

#include "ImagePainter.h"
#include "host/CI3Button.h"

#include <QDir>
#include <QFile>
#include <QImage>

void PaintingWindowTest::SetUp()
{
    m_env.Server().Reset();
    m_env.GrantTokens("paint-window-token");
    m_libraryFolder = m_env.AppDir() + QStringLiteral("/Media/AIGC/Txt2Image/");
    QDir().mkpath(m_libraryFolder);
    QImage preview(140, 80, QImage::Format_ARGB32);
    preview.fill(Qt::darkYellow);
    ASSERT_TRUE(preview.save(m_libraryFolder + QStringLiteral("oil.png")));
    WriteStyles(R"(<Styles><Style Name="油画" Preview="oil.png"/><Style Name="水彩" Preview="none.png"/>)"
                R"(<Style Name="像素" Preview="oil.png"/></Styles>)");
}

std::unique_ptr<TestPaintingWindow> PaintingWindowTest::Open(QSize size)
{
    auto window = std::make_unique<TestPaintingWindow>(HostPanel::kMessage);
    EXPECT_TRUE(window->Create(nullptr, QRect(QPoint(0, 0), size), 1110));
    return window;
}

void PaintingWindowTest::WriteStyles(const char* xml)
{
    const QString path = m_libraryFolder + QStringLiteral("Style.xml");
    QFile::remove(path);
    if (!xml)
        return;
    ASSERT_TRUE(WriteBytes(path, xml));
}

bool PaintingWindowTest::Generate(TestPaintingWindow& window)
{
    window.Button(CTxt2ImageWnd::IdGenerate)->click();
    return DeliverUntil(&window, [&] { return !window.IsBusy(); });
}

void PaintingWindowTest::ScriptService(const std::string& pollReply, QSize pictures)
{
    m_env.Server().Reply("POST", kCreatePath, 200, R"({"log_id":3,"data":{"task_id":77}})");
    m_env.Server().Reply("POST", kQueryPath, 200, pollReply);
    QImage picture(pictures, QImage::Format_RGB32);
    picture.fill(Qt::darkCyan);
    const std::string png = ImagePainter::EncodePng(picture);
    m_env.Server().On("GET", "/files/a.png", [png](const httplib::Request&, httplib::Response& response) {
        response.set_content(png, "image/png");
    });
    for (const char* name : {"/files/b.png", "/files/c.png", "/files/d.png"})
        m_env.Server().Reply("GET", name, 200, png, "image/png");
}

std::string PaintingWindowTest::Finished(const QStringList& names, const QStringList& blocked) const
{
    std::string images;
    for (const QString& name : names) {
        if (!images.empty())
            images += ",";
        images += R"({"img_url":")" + m_env.Server().Url("/files/" + name.toStdString()) +
                  R"(?sign=1","width":1280,"height":720,"img_approve_conclusion":")" +
                  (blocked.contains(name) ? "block" : "pass") + R"("})";
    }
    return R"({"data":{"task_id":77,"task_status":"SUCCESS","task_progress":1,"sub_task_result_list":[)"
           R"({"sub_task_error_code":0,"final_image_list":[)" +
           images + "]}]}}";
}

web::json::value PaintingWindowTest::LastCreateBody() const
{
    const auto requests = m_env.Server().RequestsTo(kCreatePath);
    return requests.empty() ? web::json::value() : web::json::value::parse(requests.back().body);
}
