#include "host/CI3Button.h"
#include "host/CZuEdit.h"
#include "subtitles/CSetUserInfoDlg.h"

#include <QDialog>

#include <gtest/gtest.h>

#include <vector>

namespace {

using Id = CSetUserInfoDlg::ControlId;

// The dialog as the window opens it, shown without a modal loop so the test can press its buttons.
struct OpenDialog
{
    explicit OpenDialog(const QString& id, const QString& key)
    {
        dialog.m_userId = id;
        dialog.m_key = key;
        dialog.show();
    }
    ~OpenDialog() { dialog.hide(); }

    void Type(int edit, const QString& text) { dialog.Edit(edit)->SetWindowTextW(text); }
    QString Shown(int edit) const { return dialog.Edit(edit)->GetWindowTextW(); }
    void Press(int button) { dialog.Button(button)->click(); }

    CSetUserInfoDlg dialog;
};

TEST(UserInfoDialog, OpensWithTheAccountItWasGivenAndItsControlsInPlace)
{
    OpenDialog open(QStringLiteral("qovlocal"), QStringLiteral("secret-key"));
    CSetUserInfoDlg& dialog = open.dialog;
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("填写语音转写用户信息"));
    EXPECT_EQ(open.Shown(Id::IdUser), QStringLiteral("qovlocal"));
    EXPECT_EQ(open.Shown(Id::IdKey), QStringLiteral("secret-key"));
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
}

TEST(UserInfoDialog, OkTakesWhatWasTypedClearEmptiesBothFieldsCancelKeepsTheAccount)
{
    const struct
    {
        const char* name;
        std::vector<int> presses; // the clear button and at last OK or cancel
        int result;
        const char* id;
        const char* key;
    } cases[] = {
        {"ok", {Id::IdOk}, QDialog::Accepted, "new-id", "new-key"},
        {"clear then ok", {Id::IdClear, Id::IdOk}, QDialog::Accepted, "", ""},
        {"cancel", {Id::IdCancel}, QDialog::Rejected, "old-id", "old-key"},
        {"clear then cancel", {Id::IdClear, Id::IdCancel}, QDialog::Rejected, "old-id", "old-key"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        OpenDialog open(QStringLiteral("old-id"), QStringLiteral("old-key"));
        open.Type(Id::IdUser, QStringLiteral("new-id"));
        open.Type(Id::IdKey, QStringLiteral("new-key"));
        for (int button : c.presses) {
            open.Press(button);
            if (button == Id::IdClear) {
                EXPECT_TRUE(open.Shown(Id::IdUser).isEmpty());
                EXPECT_TRUE(open.Shown(Id::IdKey).isEmpty());
                EXPECT_TRUE(open.dialog.isVisible()) << "clearing does not close";
            }
        }
        EXPECT_FALSE(open.dialog.isVisible());
        EXPECT_EQ(open.dialog.result(), c.result);
        EXPECT_EQ(open.dialog.m_userId, QString::fromUtf8(c.id));
        EXPECT_EQ(open.dialog.m_key, QString::fromUtf8(c.key));
    }
}

} // namespace
