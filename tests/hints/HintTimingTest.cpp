#include "EventLoopWait.h"
#include "HintTiming.h"

#include <QAction>
#include <QApplication>
#include <QHelpEvent>
#include <QPointer>
#include <QToolBar>
#include <QToolButton>
#include <QToolTip>
#include <QVBoxLayout>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

void HideToolTipNow()
{
    QToolTip::hideText();
    WaitFor([] { return !QToolTip::isVisible(); }, 2000);
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// Shows a window and lets its activation pass; an activation change hides any tip.
void ShowAndSettle(QWidget& window)
{
    window.show();
    WaitFor([&] { return window.isActiveWindow(); }, 1000);
    QApplication::processEvents();
}

// Asks a widget for its tool-tip the way the application does when the pointer rests.
void RequestToolTip(QWidget* widget)
{
    const QPoint at(widget->width() / 2, widget->height() / 2);
    QHelpEvent help(QEvent::ToolTip, at, widget->mapToGlobal(at));
    QApplication::sendEvent(widget, &help);
}

class HintTimingTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        savedPause_ = HintHidePause();
        InstallHintTiming(*qApp);
        HideToolTipNow();
    }
    void TearDown() override
    {
        HideToolTipNow();
        SetHintHidePause(savedPause_);
    }

private:
    int savedPause_ = 0;
};

TEST(ToolTipDisplayText, CarriageReturnsBecomeLineFeeds)
{
    EXPECT_EQ(ToolTipDisplayText(QStringLiteral("a\rb\r\rc")), QStringLiteral("a\nb\n\nc"));
    EXPECT_EQ(ToolTipDisplayText(QStringLiteral("a\r\nb")), QStringLiteral("a\nb"));
    EXPECT_EQ(ToolTipDisplayText(QStringLiteral("one line")), QStringLiteral("one line"));
}

TEST_F(HintTimingTest, InstallingTwiceInstallsOneFilter)
{
    InstallHintTiming(*qApp);
    EXPECT_EQ(qApp->findChildren<HintTimingFilter*>(QString(), Qt::FindDirectChildrenOnly).size(), 1);
}

TEST_F(HintTimingTest, ShowsWidgetToolTipWithLinesSeparated)
{
    QWidget widget;
    widget.resize(100, 40);
    widget.setToolTip(QStringLiteral("float sin(float x)\r\rthe sine"));
    ShowAndSettle(widget);

    RequestToolTip(&widget);
    ASSERT_TRUE(QToolTip::isVisible());
    EXPECT_EQ(QToolTip::text(), QStringLiteral("float sin(float x)\n\nthe sine"));
}

TEST_F(HintTimingTest, WidgetWithoutToolTipLeavesItToItsParent)
{
    QWidget parent;
    parent.resize(200, 100);
    parent.setToolTip(QStringLiteral("parent\rtip"));
    auto* child = new QWidget(&parent);
    child->setGeometry(10, 10, 50, 50);
    ShowAndSettle(parent);

    RequestToolTip(child);
    ASSERT_TRUE(QToolTip::isVisible());
    EXPECT_EQ(QToolTip::text(), QStringLiteral("parent\ntip"));
}

TEST_F(HintTimingTest, NothingShownWithoutAnyToolTip)
{
    QWidget widget;
    widget.resize(100, 40);
    ShowAndSettle(widget);

    RequestToolTip(&widget);
    EXPECT_FALSE(QToolTip::isVisible());
}

// Qt alone would keep a short tip up for ten seconds; the pause set here decides instead.
TEST_F(HintTimingTest, ShortPauseHidesTheTipSoon)
{
    QWidget widget;
    widget.resize(100, 40);
    widget.setToolTip(QStringLiteral("short"));
    ShowAndSettle(widget);

    SetHintHidePause(100);
    RequestToolTip(&widget);
    ASSERT_TRUE(QToolTip::isVisible());
    EXPECT_TRUE(WaitFor([] { return !QToolTip::isVisible(); }, 5000));
}

TEST_F(HintTimingTest, PauseAppliesToToolbarButtons)
{
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* toolbar = new QToolBar(&window);
    layout->addWidget(toolbar);
    QAction* save = toolbar->addAction(QStringLiteral("Save"));
    save->setToolTip(QStringLiteral("Speichern"));
    ShowAndSettle(window);
    auto* button = qobject_cast<QToolButton*>(toolbar->widgetForAction(save));
    ASSERT_NE(button, nullptr);

    SetHintHidePause(100);
    RequestToolTip(button);
    ASSERT_TRUE(QToolTip::isVisible());
    EXPECT_EQ(QToolTip::text(), QStringLiteral("Speichern"));
    EXPECT_TRUE(WaitFor([] { return !QToolTip::isVisible(); }, 5000));
}

} // namespace
