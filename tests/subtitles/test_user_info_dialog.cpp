#include "host/CI3Button.h"
#include "host/CZuEdit.h"
#include "subtitles/CSetUserInfoDlg.h"

#include <gtest/gtest.h>

namespace {

using Id = CSetUserInfoDlg::ControlId;

// The dialog as the window opens it, shown without a modal loop.
TEST(UserInfoDialog, OpensWithTheAccountItWasGivenAndItsControlsInPlace)
{
    CSetUserInfoDlg dialog;
    dialog.m_userId = QStringLiteral("qovlocal");
    dialog.m_key = QStringLiteral("secret-key");
    dialog.show();
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("填写语音转写用户信息"));
    EXPECT_EQ(dialog.Edit(Id::IdUser)->GetWindowTextW(), QStringLiteral("qovlocal"));
    EXPECT_EQ(dialog.Edit(Id::IdKey)->GetWindowTextW(), QStringLiteral("secret-key"));
    EXPECT_EQ(dialog.Button(Id::IdOk)->GetWindowTextW(), QStringLiteral("确定"));
    EXPECT_EQ(dialog.Button(Id::IdCancel)->GetWindowTextW(), QStringLiteral("取消"));
    EXPECT_EQ(dialog.Button(Id::IdClear)->GetWindowTextW(), QStringLiteral("清空"));

    dialog.resize(400, 120);
    EXPECT_EQ(dialog.Edit(Id::IdUser)->geometry(), QRect(40, 5, 350, 20));
    EXPECT_EQ(dialog.Edit(Id::IdKey)->geometry(), QRect(40, 35, 350, 20));
    EXPECT_EQ(dialog.Button(Id::IdCancel)->geometry(), QRect(330, 90, 50, 20));
    EXPECT_EQ(dialog.Button(Id::IdOk)->geometry(), QRect(270, 90, 50, 20));
    EXPECT_EQ(dialog.Button(Id::IdClear)->geometry(), QRect(210, 90, 50, 20));
    // A key longer than its field scrolls inside one line.
    EXPECT_FALSE(dialog.Edit(Id::IdUser)->IsMultiLine());
    EXPECT_FALSE(dialog.Edit(Id::IdKey)->IsMultiLine());
    dialog.hide();
}

} // namespace
