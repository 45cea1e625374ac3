#pragma once

#include "host/CQOVRichEditCtrl.h"
#include "painting/CTxt2ImageWnd.h"
#include "support/Delivery.h"
#include "support/EditorPanel.h"
#include "support/TestEnvironment.h"
#include "support/TestFiles.h"

#include <QSize>
#include <QStringList>
#include <QTest>
#include <QWidget>

#include <cpprest/json.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>

using HostPanel = EditorPanel<0x6001>;

// The painting window with its dialogs answered by the test.
class TestPaintingWindow : public CTxt2ImageWnd
{
public:
    using CTxt2ImageWnd::CTxt2ImageWnd;
    using CTxt2ImageWnd::PreTranslateMessage;
    QString referenceAnswer;
    QString folderAnswer;

protected:
    QString ChooseReferenceImage() override { return referenceAnswer; }
    QString ChooseFolder() override { return folderAnswer; }
};

// A painting window over the fake image service, with a style library of three styles.
class PaintingWindowTest : public ::testing::Test
{
protected:
    static constexpr const char* kCreatePath = "/ernievilg/v1/txt2imgv2";
    static constexpr const char* kQueryPath = "/ernievilg/v1/getImgv2";
    static inline const QStringList kStyles{QStringLiteral("油画"), QStringLiteral("水彩"), QStringLiteral("像素")};

    void SetUp() override;

    std::unique_ptr<TestPaintingWindow> Open(QSize size = QSize(920, 680));
    // Writes Style.xml into the application folder's library (null: removes it).
    void WriteStyles(const char* xml);
    // Presses the generate button and waits for the task's end.
    static bool Generate(TestPaintingWindow& window);

    // The service makes task 77 and answers its polls with reply; the files under /files/ are
    // pictures of the given size.
    void ScriptService(const std::string& pollReply, QSize pictures = QSize(1280, 720));
    // A finished task's reply with one image per name, "pass" unless listed as blocked.
    std::string Finished(const QStringList& names, const QStringList& blocked = {}) const;
    web::json::value LastCreateBody() const;

    // Types into the description as a user would, and presses a selector at a tile.
    static void Describe(TestPaintingWindow& window, const QString& text)
    {
        window.DescriptionEdit()->SetWindowTextW(text);
    }
    static void Press(QWidget* selector, const QRect& tile)
    {
        QTest::mouseClick(selector, Qt::LeftButton, Qt::NoModifier, tile.center());
    }

    TestEnvironment& m_env = TestEnvironment::Get();
    QString m_libraryFolder;
};
