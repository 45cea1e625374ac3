#include "host/CI3Button.h"
#include "host/CNLESlider.h"
#include "host/CQOVComboBox.h"
#include "host/CQOVPiecewiseLinearBar.h"
#include "host/CQOVRichEditCtrl.h"
#include "host/CZuEdit.h"
#include "host/CZuScrollBar.h"
#include "host/CZuTabCtrl.h"

#include <QApplication>
#include <QFocusEvent>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <vector>

namespace {

// Every control is created the way tool windows create them: a child with an identifier.
template <typename Control>
std::unique_ptr<Control> Make(QWidget& parent, int id, const QRect& rect = QRect(0, 0, 200, 30))
{
    auto control = std::make_unique<Control>();
    EXPECT_TRUE(control->Create(&parent, rect, id));
    return control;
}

// The one notification a control sent: its identifier, then its position if it reports one.
void ExpectOneNotification(const QSignalSpy& spy, const std::vector<int>& arguments)
{
    ASSERT_EQ(spy.count(), 1);
    std::vector<int> sent;
    for (const QVariant& argument : spy.at(0))
        sent.push_back(argument.toInt());
    EXPECT_EQ(sent, arguments);
}

class Controls : public ::testing::Test
{
protected:
    void SetUp() override
    {
        window.resize(400, 300);
        window.show();
    }

    QWidget window;
};

TEST_F(Controls, ComboInsertsSelectsAndReportsOnlyUserChoices)
{
    auto combo = Make<CQOVComboBox>(window, 7);
    EXPECT_EQ(combo->GetDlgCtrlID(), 7);
    EXPECT_EQ(combo->InsertString(-1, QStringLiteral("一")), 0);
    EXPECT_EQ(combo->InsertString(-1, QStringLiteral("three")), 1);
    EXPECT_EQ(combo->InsertString(1, QStringLiteral("two")), 1);
    EXPECT_EQ(combo->InsertString(99, QStringLiteral("four")), 3);
    EXPECT_EQ(combo->GetCount(), 4);
    EXPECT_EQ(combo->GetCurSel(), -1);

    QString text;
    EXPECT_TRUE(combo->GetLBText(1, text));
    EXPECT_EQ(text, QStringLiteral("two"));
    EXPECT_TRUE(combo->GetLBText(0, text));
    EXPECT_EQ(text, QStringLiteral("一"));
    EXPECT_FALSE(combo->GetLBText(4, text));

    QSignalSpy spy(combo.get(), &CQOVComboBox::selectionChanged);
    combo->SetCurSel(2);
    EXPECT_EQ(combo->GetCurSel(), 2);
    combo->SetCurSel(10);
    EXPECT_EQ(combo->GetCurSel(), -1);
    EXPECT_EQ(spy.count(), 0);

    combo->SetCurSel(0);
    QTest::keyClick(combo.get(), Qt::Key_Down);
    EXPECT_EQ(combo->GetCurSel(), 1);
    ExpectOneNotification(spy, {7});
}

TEST_F(Controls, TabSelectsAndReportsOnlyUserChoices)
{
    auto tab = Make<CZuTabCtrl>(window, 12, QRect(0, 0, 300, 30));
    QSignalSpy spy(tab.get(), &CZuTabCtrl::selectionChanged);
    EXPECT_EQ(tab->InsertItem(-1, QStringLiteral("Voice")), 0);
    EXPECT_EQ(tab->InsertItem(-1, QStringLiteral("Music")), 1);
    EXPECT_EQ(tab->InsertItem(1, QStringLiteral("字幕")), 1);
    EXPECT_EQ(tab->GetItemCount(), 3);
    EXPECT_EQ(tab->GetCurSel(), 0);
    tab->SetCurSel(2);
    EXPECT_EQ(tab->GetCurSel(), 2);
    tab->SetCurSel(5);
    EXPECT_EQ(tab->GetCurSel(), 2);
    EXPECT_EQ(spy.count(), 0);

    QTest::mouseClick(tab.get(), Qt::LeftButton, {}, tab->tabRect(1).center());
    EXPECT_EQ(tab->GetCurSel(), 1);
    ExpectOneNotification(spy, {12});
}

TEST_F(Controls, ButtonReportsClicksWithItsIdOnlyWhenEnabled)
{
    auto button = Make<CI3Button>(window, 1001, QRect(0, 0, 80, 26));
    button->SetWindowTextW(QStringLiteral("生成"));
    EXPECT_EQ(button->GetWindowTextW(), QStringLiteral("生成"));
    QSignalSpy spy(button.get(), qOverload<int>(&CI3Button::clicked));
    QTest::mouseClick(button.get(), Qt::LeftButton);
    ExpectOneNotification(spy, {1001});

    button->EnableWindow(false);
    QTest::mouseClick(button.get(), Qt::LeftButton);
    EXPECT_EQ(spy.count(), 1);
}

// The two edit boxes and both shapes of CZuEdit share the notifications tool windows rely on.
struct EditCase
{
    const char* name;
    std::function<std::unique_ptr<QWidget>(QWidget&, int)> make;
    std::function<void(QWidget*, const QString&)> set;
    std::function<QString(QWidget*)> get;
    std::function<QWidget*(QWidget*)> editor;
};

std::vector<EditCase> EditCases()
{
    auto zuEdit = [](bool multi) {
        return [multi](QWidget& parent, int id) -> std::unique_ptr<QWidget> {
            auto edit = std::make_unique<CZuEdit>();
            edit->Create(&parent, QRect(0, 0, 200, 60), id, multi);
            return edit;
        };
    };
    auto zuSet = [](QWidget* w, const QString& t) { static_cast<CZuEdit*>(w)->SetWindowTextW(t); };
    auto zuGet = [](QWidget* w) { return static_cast<CZuEdit*>(w)->GetWindowTextW(); };
    auto zuEditor = [](QWidget* w) { return static_cast<CZuEdit*>(w)->Editor(); };
    return {
        {"single line", zuEdit(false), zuSet, zuGet, zuEditor},
        {"multi line", zuEdit(true), zuSet, zuGet, zuEditor},
        {"rich edit",
         [](QWidget& parent, int id) -> std::unique_ptr<QWidget> { return Make<CQOVRichEditCtrl>(parent, id); },
         [](QWidget* w, const QString& t) { static_cast<CQOVRichEditCtrl*>(w)->SetWindowTextW(t); },
         [](QWidget* w) { return static_cast<CQOVRichEditCtrl*>(w)->GetWindowTextW(); },
         [](QWidget* w) { return w; }},
    };
}

TEST_F(Controls, EditsReportChangesAndFocusLossWithTheirId)
{
    for (const EditCase& c : EditCases()) {
        SCOPED_TRACE(c.name);
        std::unique_ptr<QWidget> edit = c.make(window, 33);
        QSignalSpy changed(edit.get(), SIGNAL(textChanged(int)));
        QSignalSpy lost(edit.get(), SIGNAL(focusLost(int)));

        c.set(edit.get(), QStringLiteral("你好"));
        EXPECT_EQ(c.get(edit.get()), QStringLiteral("你好"));
        ASSERT_GE(changed.count(), 1);
        EXPECT_EQ(changed.last().at(0).toInt(), 33);

        const qsizetype before = changed.count();
        QTest::keyClicks(c.editor(edit.get()), QStringLiteral("ab"));
        EXPECT_TRUE(c.get(edit.get()).contains(QStringLiteral("ab")));
        EXPECT_GT(changed.count(), before);

        QFocusEvent focusOut(QEvent::FocusOut, Qt::TabFocusReason);
        QApplication::sendEvent(c.editor(edit.get()), &focusOut);
        ExpectOneNotification(lost, {33});
    }
}

TEST_F(Controls, RichEditKeepsItsColourAcrossNewText)
{
    auto edit = Make<CQOVRichEditCtrl>(window, 5);
    edit->SetRichTextColor(QColor(Qt::red));
    edit->SetWindowTextW(QStringLiteral("line"));
    QTextCursor cursor(edit->document());
    cursor.movePosition(QTextCursor::NextCharacter);
    EXPECT_EQ(cursor.charFormat().foreground().color(), QColor(Qt::red));
    edit->SetReadOnly(true);
    EXPECT_TRUE(edit->isReadOnly());
}

struct ScrollCase
{
    SCROLLINFO in;
    int highest; // the highest position the bar allows
    int pos;     // where the position lands
};

TEST_F(Controls, ScrollInfoRoundTripsWithTheHighestPositionRule)
{
    auto bar = Make<CZuScrollBar>(window, 9, QRect(0, 0, 12, 200));
    const ScrollCase cases[] = {
        {{0, 99, 10, 50, 0}, 90, 50},
        {{0, 99, 10, 95, 0}, 90, 90},    // past the last page: clamped
        {{0, 99, 0, 99, 0}, 99, 99},     // no page: the maximum itself
        {{0, 99, 1, 99, 0}, 99, 99},
        {{10, 20, 5, 3, 0}, 16, 10},     // below the minimum: clamped
        {{0, 50, 200, 30, 0}, 0, 0},     // page larger than everything
    };
    QSignalSpy spy(bar.get(), &CZuScrollBar::scrolled);
    for (const ScrollCase& c : cases) {
        bar->SetScrollInfo(c.in, true);
        EXPECT_EQ(bar->maximum(), c.highest) << c.in.nMax << "/" << c.in.nPage;
        SCROLLINFO out;
        bar->GetScrollInfo(out);
        EXPECT_EQ(out.nMin, c.in.nMin);
        EXPECT_EQ(out.nMax, c.in.nMax);
        EXPECT_EQ(out.nPage, std::min(c.in.nPage, c.in.nMax - c.in.nMin + 1));
        EXPECT_EQ(out.nPos, c.pos);
        EXPECT_EQ(out.nTrackPos, c.pos);
    }
    EXPECT_EQ(spy.count(), 0);

    bar->SetScrollInfo({0, 99, 10, 0, 0}, true);
    bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
    ExpectOneNotification(spy, {9, 10});
}

TEST_F(Controls, SliderNotifiesUserChangesOnly)
{
    auto slider = Make<CNLESlider>(window, 21);
    QSignalSpy spy(slider.get(), &CNLESlider::sliderChanged);
    slider->SetNumberInfo(0, 100, 40, 0);
    EXPECT_EQ(slider->minimum(), 0);
    EXPECT_EQ(slider->maximum(), 100);
    EXPECT_EQ(slider->GetPos(), 40);
    slider->SetPos(60);
    EXPECT_EQ(slider->GetPos(), 60);
    slider->SetPos(500);
    EXPECT_EQ(slider->GetPos(), 100);
    EXPECT_EQ(spy.count(), 0);

    slider->SetPos(60);
    slider->setFocus();
    QTest::keyClick(slider.get(), Qt::Key_Right);
    ExpectOneNotification(spy, {21, 61});
}

TEST_F(Controls, PiecewiseBarMapsThumbToValuesAndReportsUserDrags)
{
    auto bar = Make<CQOVPiecewiseLinearBar>(window, 44, QRect(0, 0, 232, 20));
    EXPECT_EQ(bar->GetCurrentValue(), 0.0);
    bar->AddValuePair(100, 4.0);
    bar->AddValuePair(0, 0.25);
    bar->AddValuePair(50, 1.0);
    EXPECT_EQ(bar->minimum(), 0);
    EXPECT_EQ(bar->maximum(), 100);

    QSignalSpy spy(bar.get(), &CQOVPiecewiseLinearBar::sliderChanged);
    bar->SetCurrentValue(1.0);
    EXPECT_EQ(bar->value(), 50);
    EXPECT_DOUBLE_EQ(bar->GetCurrentValue(), 1.0);
    bar->SetCurrentValue(2.5);
    EXPECT_EQ(bar->value(), 75);
    bar->SetCurrentValue(9.0);
    EXPECT_EQ(bar->value(), 100);
    EXPECT_EQ(spy.count(), 0);

    // 232 wide, 10 free at each end, a 12-wide themed thumb: the centre travels 16..216.
    bar->SetEdgeWidth(10);
    EXPECT_EQ(bar->PositionAt(16), 0);
    EXPECT_EQ(bar->PositionAt(116), 50);
    EXPECT_EQ(bar->PositionAt(400), 100);
    QTest::mouseClick(bar.get(), Qt::LeftButton, {}, QPoint(166, 10));
    ExpectOneNotification(spy, {44, 75});
    EXPECT_DOUBLE_EQ(bar->GetCurrentValue(), 2.5);
    EXPECT_EQ(bar->ThumbRect().left() + bar->ThumbRect().width() / 2, 166);

    // Edges apart and a thin marker, as the painting window's size slider has them: the marker
    // travels 232 - 10 - 11 - 1 = 210 pixels from 10.
    bar->SetEdgeWidth(10, 11);
    bar->SetSliderSize(1, 15);
    EXPECT_EQ(bar->PositionAt(10), 0);
    EXPECT_EQ(bar->PositionAt(115), 50);
    EXPECT_EQ(bar->PositionAt(220), 100);
    EXPECT_EQ(bar->ThumbRect().size(), QSize(1, std::min(15, bar->height())));

    bar->RemoveAllValuePair();
    EXPECT_EQ(bar->GetCurrentValue(), 0.0);
}

} // namespace
