#include "host/CQOVBaseDlg.h"
#include "host/CQOVBaseWnd.h"
#include "host/CQOVDefUiSettings.h"
#include "host/QOVMessage.h"

#include "host/CQOVComboBox.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

// A tool window that records what the base hands it.
class ToolWindow : public CQOVBaseWnd
{
public:
    int created = 0;
    QSize sized;
    QList<int> messages;
    int escapesSwallowed = 0;
    int refuseCreate = 0;

protected:
    int OnCreate() override
    {
        ++created;
        return refuseCreate ? -1 : 0;
    }
    void OnSize(int, int cx, int cy) override
    {
        sized = QSize(cx, cy);
    }
    bool OnWindowMessage(QOVMessageEvent* message) override
    {
        messages << message->Message();
        message->SetResult(intptr_t(message->WParam()) + 1);
        return true;
    }
    bool PreTranslateMessage(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
            ++escapesSwallowed;
            return true;
        }
        return false;
    }
};

// The editor's side: answers the messages its tool windows send.
class Host : public QWidget
{
public:
    QList<QPair<int, uintptr_t>> received;

protected:
    bool event(QEvent* event) override
    {
        if (event->type() < QEvent::User)
            return QWidget::event(event);
        auto* message = static_cast<QOVMessageEvent*>(event);
        received.append({message->Message(), message->WParam()});
        message->SetResult(42);
        return true;
    }
};

TEST(BaseWindow, CreateRunsOnCreateAndPlacesTheWindow)
{
    Host panel;
    ToolWindow window;
    ASSERT_TRUE(window.Create(&panel, QRect(0, 0, 920, 680), 1113));
    EXPECT_EQ(window.created, 1);
    EXPECT_EQ(window.GetDlgCtrlID(), 1113);
    EXPECT_EQ(window.parentWidget(), &panel);
    EXPECT_EQ(window.sized, QSize(920, 680));
    panel.show();
    window.resize(400, 300);
    EXPECT_EQ(window.sized, QSize(400, 300));

    ToolWindow refused;
    refused.refuseCreate = 1;
    EXPECT_FALSE(refused.Create(&panel, QRect(0, 0, 10, 10), 1));
}

TEST(BaseWindow, ReportsToItsOwnerOrElseItsParentAndReachesTheEditorsReceivers)
{
    Host panel;
    Host owner;
    ToolWindow window;
    window.Create(&panel, QRect(0, 0, 100, 100), 1);
    EXPECT_EQ(window.SendToOwner(0x6001, 7, 0), 42);
    ASSERT_EQ(panel.received.size(), 1);
    EXPECT_EQ(panel.received[0].first, 0x6001);
    window.SetOwner(&owner);
    window.SendToOwner(0x6001, 8, 0);
    EXPECT_EQ(owner.received.size(), 1);
    EXPECT_EQ(panel.received.size(), 1);

    Host ui;
    Host data;
    EXPECT_EQ(window.SendMsgToUIMsgRcvWnd(0x7000, 1, 0), 0) << "no receiver yet";
    window.SetMsgReceiveWnd(&ui, &data);
    EXPECT_EQ(window.SendMsgToUIMsgRcvWnd(0x7000, 1, 0), 42);
    EXPECT_EQ(window.SendMsgToDataMsgRcvWnd(0x7001, 2, 0), 42);
    EXPECT_EQ(window.PostMsgToDataMsgRcvWnd(0x7002, 3, 0), 1);
    QCoreApplication::sendPostedEvents(&data);
    EXPECT_EQ(ui.received.size(), 1);
    ASSERT_EQ(data.received.size(), 2);
    EXPECT_EQ(data.received[1].second, 3u);
}

// An event of another kind whose type number Qt handed out from the user range.
class ForeignEvent : public QEvent
{
public:
    ForeignEvent()
        : QEvent(QEvent::Type(QEvent::registerEventType()))
    {
    }
    char payload[64] = {};
};

void PressEscape(QWidget* target)
{
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &escape);
}

TEST(BaseWindow, MessagesReachItsHandlerAndEscapeStillClosesWhatItOpens)
{
    Host panel;
    panel.resize(400, 300);
    ToolWindow window;
    window.Create(&panel, QRect(0, 0, 400, 300), 1);
    panel.show();
    ForeignEvent foreign;
    QCoreApplication::sendEvent(&window, &foreign);
    EXPECT_EQ(QOVSendMessage(&window, 8224, 4, 0), 5);
    QOVPostMessage(&window, 8027, 2, 0);
    QCoreApplication::sendPostedEvents(&window);
    EXPECT_EQ(window.messages, (QList<int>{8224, 8027})) << "an event of another kind is no window message";

    auto* box = new QMessageBox(QMessageBox::Information, QString(), QStringLiteral("text"), QMessageBox::Ok, &window);
    box->open();
    ASSERT_TRUE(box->isVisible());
    PressEscape(box->button(QMessageBox::Ok));
    EXPECT_FALSE(box->isVisible()) << "the message box closes";

    auto* files = new QFileDialog(&window);
    files->setOption(QFileDialog::DontUseNativeDialog);
    files->open();
    ASSERT_TRUE(files->isVisible());
    auto* name = files->findChild<QLineEdit*>();
    ASSERT_NE(name, nullptr);
    PressEscape(name);
    EXPECT_FALSE(files->isVisible()) << "the file dialog closes";

    auto* combo = new CQOVComboBox(&window, 7);
    combo->InsertString(-1, QStringLiteral("8"));
    combo->InsertString(-1, QStringLiteral("9"));
    combo->showPopup();
    QWidget* popup = combo->view()->window();
    ASSERT_TRUE(popup->isVisible());
    PressEscape(combo->view());
    EXPECT_FALSE(popup->isVisible()) << "the pop-up list closes";

    EXPECT_EQ(window.escapesSwallowed, 0) << "none of them is the window's own";
    PressEscape(new QLineEdit(&window));
    EXPECT_EQ(window.escapesSwallowed, 1) << "a key of the window's own edit passes the window first";
}

class Dialog : public CQOVBaseDlg
{
public:
    int initialised = 0;

protected:
    bool OnInitDialog() override
    {
        ++initialised;
        return true;
    }
};

TEST(BaseDialog, InitialisesOnceBeforeShowing)
{
    Dialog dialog;
    QTimer::singleShot(0, &dialog, &QDialog::accept);
    EXPECT_EQ(dialog.DoModal(), QDialog::Accepted);
    QTimer::singleShot(0, &dialog, &QDialog::reject);
    EXPECT_EQ(dialog.DoModal(), QDialog::Rejected);
    EXPECT_EQ(dialog.initialised, 1);
}

TEST(Theme, IsDarkAndItsFontShowsChinese)
{
    const CQOVDefUiSettings& theme = CQOVDefUiSettings::GetDefUiSettings();
    EXPECT_LT(theme.background.lightness(), 80);
    EXPECT_GT(theme.text.lightness(), 180);
    EXPECT_TRUE(QFontMetrics(theme.defaultFont).inFont(QChar(0x6587))) << theme.defaultFont.family().toStdString();
}

} // namespace
