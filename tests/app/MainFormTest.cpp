#include "WindowFixture.h"

#include "OutputPanel.h"
#include "ShaderEditor.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QComboBox>
#include <QLabel>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {

// The one table of what the layout fixes: toolbar order (separators included), tool-tips,
// the chooser's items, the tab texts and the caption.
TEST(MainWindow, FixedTextsAndOrder)
{
    WindowFixture w;
    TMainForm& f = w.start(false);
    QStringList order;
    for (QAction* a : f.ToolBar1->actions()) {
        QWidget* widget = f.ToolBar1->widgetForAction(a);
        order << (a->isSeparator() ? a->objectName() : widget->objectName());
    }
    // The layout's cells in its order; the target controls follow them.
    EXPECT_EQ(order.mid(0, 16),
              (QStringList{"ToolButton1", "ToolButton4", "ToolButton2", "ToolButton3", "ToolButton9", "ToolButton5",
                           "ToolButton6", "ToolButton7", "ToolButton8", "ToolButton12", "ToolButton13",
                           "ToolButton14", "ToolButton11", "ComboBoxSourceHighlight", "ToolButton15",
                           "ToolButton10"}));

    const std::pair<QToolButton*, const char*> tips[] = {
        {f.ToolButton1, ""},
        {f.ToolButton2, ""},
        {f.ToolButton3, "Datei speichern"},
        {f.ToolButton9, "Datei speichern unter..."},
        {f.ToolButton6, "Test VertexShader with glslValidate"},
        {f.ToolButton7, "Test FragmentShader with glslValidate"},
        {f.ToolButton12, "Test VertexShader with drivers glslang-implementation"},
        {f.ToolButton13, "Test FragmentShader with drivers glslang-implementation"},
        {f.ToolButton14, "Test both shaders (combined in one program object) with drivers glslang-implementation"},
        {f.ToolButton10, ""},
    };
    for (const auto& [button, tip] : tips) {
        EXPECT_EQ(button->toolTip(), QString::fromUtf8(tip)) << button->objectName().toStdString();
        EXPECT_FALSE(button->icon().isNull());
        EXPECT_EQ(button->focusPolicy(), Qt::NoFocus);
    }
    EXPECT_TRUE(f.ComboBoxSourceHighlight->toolTip().isEmpty());

    EXPECT_FALSE(f.ComboBoxSourceHighlight->isEditable());
    QStringList schemes;
    for (int i = 0; i < f.ComboBoxSourceHighlight->count(); ++i)
        schemes << f.ComboBoxSourceHighlight->itemText(i);
    EXPECT_EQ(schemes, (QStringList{"Default", "Twilight", "Borland Classic"}));
    ASSERT_EQ(f.PageControl1->count(), 2);
    EXPECT_EQ(f.PageControl1->tabText(0), QStringLiteral("VertexShader"));
    EXPECT_EQ(f.PageControl1->tabText(1), QStringLiteral("FragmentShader"));
    EXPECT_TRUE(f.windowTitle().startsWith(QStringLiteral("(the tiny)Lumenpad")));
}

// Where the layout puts each toolbar cell: x and width, window-relative.
TEST(MainWindow, ToolbarCellsSitWhereTheLayoutPutsThem)
{
    WindowFixture w;
    TMainForm& f = w.start(false);
    f.show();
    QCoreApplication::processEvents();
    const std::tuple<const char*, int, int> cells[] = {
        {"ToolButton1", 0, 23},    {"ToolButton4", 23, 8},   {"ToolButton2", 31, 23},
        {"ToolButton3", 54, 23},   {"ToolButton9", 77, 23},  {"ToolButton5", 100, 8},
        {"ToolButton6", 108, 23},  {"ToolButton7", 131, 23}, {"ToolButton8", 154, 8},
        {"ToolButton12", 162, 23}, {"ToolButton13", 185, 23}, {"ToolButton14", 208, 23},
        {"ToolButton11", 231, 8},  {"ComboBoxSourceHighlight", 239, 106}, {"ToolButton15", 345, 8},
        {"ToolButton10", 353, 23},
    };
    for (const auto& [name, x, width] : cells) {
        QWidget* cell = nullptr;
        for (QAction* a : f.ToolBar1->actions()) {
            QWidget* widget = f.ToolBar1->widgetForAction(a);
            if ((a->isSeparator() ? a->objectName() : widget->objectName()) == QLatin1String(name))
                cell = widget;
        }
        ASSERT_NE(cell, nullptr) << name;
        const QRect r(cell->mapTo(&f, QPoint(0, 0)), cell->size());
        EXPECT_EQ(r.x(), x) << name;
        EXPECT_EQ(r.width(), width) << name;
    }
    EXPECT_EQ(f.ComboBoxSourceHighlight->height(), 21);
    EXPECT_EQ(f.ToolBar1->geometry(), QRect(0, 0, f.width(), 25));
}

TEST(MainWindow, PagesEditorsAndPanel)
{
    WindowFixture w;
    TMainForm& f = w.start(false);
    EXPECT_FALSE(f.PageControl1->tabIcon(0).isNull());
    EXPECT_FALSE(f.PageControl1->tabIcon(1).isNull());
    EXPECT_EQ(f.PageControl1->currentWidget(), f.VSTabSheet);
    for (ShaderEditor* e : {f.ShaderRichEdit, f.ShaderRichEditFS}) {
        EXPECT_EQ(e->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
        EXPECT_EQ(e->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
        EXPECT_EQ(e->lineWrapMode(), QPlainTextEdit::WidgetWidth);
        EXPECT_TRUE(e->tabChangesFocus());
        EXPECT_TRUE(e->font().fixedPitch());
        EXPECT_TRUE(e->toPlainText().isEmpty());
    }
    EXPECT_TRUE(f.glslValidateMemo->isReadOnly());
    EXPECT_TRUE(f.StatusPanel0->text().isEmpty());
    EXPECT_TRUE(f.StatusPanel1->text().isEmpty());
}

TEST(MainWindow, StatusPanelsKeepHalfTheBarWidth)
{
    WindowFixture w;
    TMainForm& f = w.start(false);
    for (int width : {737, 800, 501}) {
        f.StatusBar1->resize(width, f.StatusBar1->height());
        f.StatusBar1Resize();
        EXPECT_EQ(f.StatusPanel0->width(), width / 2);
        EXPECT_EQ(f.StatusPanel1->width(), width / 2);
        EXPECT_EQ(f.StatusPanel1->x(), width / 2);
    }
    // The resize event itself triggers the handler.
    f.show();
    f.resize(1001, 500);
    QCoreApplication::processEvents();
    EXPECT_EQ(f.StatusPanel0->width(), f.StatusBar1->width() / 2);
}

QWidget* focusAfterTab(QWidget* from)
{
    from->setFocus(Qt::TabFocusReason);
    QCoreApplication::processEvents();
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
    QApplication::sendEvent(from, &press);
    QCoreApplication::processEvents();
    return QApplication::focusWidget();
}

TEST(MainWindow, FocusMovesInTheLayoutsOrder)
{
    WindowFixture w;
    TMainForm& f = w.start(false);
    f.show();
    QApplication::setActiveWindow(&f);
    QWidget* got = focusAfterTab(f.ComboBoxSourceHighlight);
    EXPECT_EQ(got, f.glslValidateMemo) << (got ? got->metaObject()->className() : "none") << " "
                                      << (got ? got->objectName().toStdString() : "");
    EXPECT_EQ(focusAfterTab(f.glslValidateMemo), f.PageControl1->tabBar());
    EXPECT_EQ(focusAfterTab(f.PageControl1->tabBar()), f.ShaderRichEdit);
    EXPECT_EQ(focusAfterTab(f.ShaderRichEdit), f.ComboBoxSourceHighlight);
    f.PageControl1->setCurrentWidget(f.FSTabSheet);
    EXPECT_EQ(focusAfterTab(f.PageControl1->tabBar()), f.ShaderRichEditFS);
    EXPECT_EQ(focusAfterTab(f.ShaderRichEditFS), f.ComboBoxSourceHighlight);
}

TEST(MainWindow, AboutBoxHasFourCrSeparatedLines)
{
    WindowFixture w;
    TMainForm& f = w.start(false);
    f.ToolButton10->click();
    ASSERT_EQ(w.dialogs.aboutTexts.size(), 1);
    const QStringList lines = w.dialogs.aboutTexts[0].split(QLatin1Char('\r'));
    ASSERT_EQ(lines.size(), 4);
    EXPECT_EQ(lines[0], QStringLiteral("tiny Lumenpad"));
    EXPECT_EQ(lines[1], QStringLiteral("Version 0.2"));
    EXPECT_FALSE(w.dialogs.aboutTexts[0].contains(QLatin1Char('\n')));
}

} // namespace
