#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QToolBar>
#include <gtest/gtest.h>

#include "../harness.h"
#include "qt/controlbinding.h"
#include "qt/figurewindow.h"
#include "qt/frontend.h"
#include "qt/plotcanvas.h"

using namespace vezedo;
using platform::Handle;
using platform::Value;

namespace {

struct Gui {
    test::Harness h;
    qt::FrontEnd frontEnd{h.program};
    Handle main = h.program.start();

    Gui() { QApplication::processEvents(); }

    template <typename W>
    W* widget(const char* tag)
    {
        qt::FigureWindow* w = frontEnd.window(main);
        return w ? w->canvas()->findChild<W*>(tag) : nullptr;
    }
};

}  // namespace

TEST(FrontEnd, BuildsTheMainWindowWithAWidgetForEveryTag)
{
    Gui gui;
    qt::FigureWindow* window = gui.frontEnd.window(gui.main);
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->windowTitle().toStdString(), "Vezedo6 - 3D landmark measurements");
    for (const char* tag : {"FileBox1", "WireBox", "CurrentBlockBox", "LengthBox"})
        EXPECT_NE(gui.widget<QLabel>(tag), nullptr) << tag;
    for (const char* tag : {"ProtoPointBox", "EndBox1", "EndBox2", "ActivePointBox", "TargetLineBox", "MaxBlockBox"})
        EXPECT_NE(gui.widget<QLineEdit>(tag), nullptr) << tag;
    EXPECT_NE(gui.widget<QWidget>("BlockBox"), nullptr);
    EXPECT_NE(gui.widget<QCheckBox>("ShowLineButton"), nullptr);
    EXPECT_NE(gui.widget<QPushButton>("SetBlocks"), nullptr);
    ASSERT_NE(gui.widget<QPushButton>("LoadProtoButton"), nullptr);
    EXPECT_FALSE(gui.widget<QPushButton>("LoadProtoButton")->isEnabled());
    EXPECT_EQ(gui.widget<QLineEdit>("ProtoPointBox")->text(), "0");
}

TEST(FrontEnd, PlacesControlsFromTheBottomLeftOfTheWindow)
{
    Gui gui;
    QWidget* canvas = gui.frontEnd.window(gui.main)->canvas();
    const Handle box = gui.h.rt.graphics.findByTag("EndBox1").at(0);
    const auto p = gui.h.rt.graphics.object(box).as<platform::UiControlData>().position;
    const QRect g = gui.widget<QLineEdit>("EndBox1")->geometry();
    EXPECT_EQ(g.x(), static_cast<int>(p[0]));
    EXPECT_EQ(g.y() + g.height(), canvas->height() - static_cast<int>(p[1]));
}

TEST(FrontEnd, ClickingADefaultCallbackButtonPrintsItsLine)
{
    Gui gui;
    QCheckBox* box = gui.widget<QCheckBox>("ShowLineButton");
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(box->isChecked());
    box->click();
    EXPECT_EQ(gui.h.console.text(), "radiobutton1 Callback not implemented yet.\n");
    EXPECT_EQ(gui.h.rt.graphics.get(gui.h.rt.graphics.findByTag("ShowLineButton").at(0), "Value"), Value(0.0));
}

TEST(FrontEnd, AnErrorInAButtonsCallbackReachesTheConsoleAndTheWindowStays)
{
    Gui gui;
    QPushButton* button = gui.widget<QPushButton>("SetBlocks");
    ASSERT_NE(button, nullptr);
    button->click();
    EXPECT_FALSE(gui.h.console.text().empty());
    EXPECT_TRUE(gui.frontEnd.window(gui.main)->isVisible());
}

TEST(FrontEnd, TypingUpdatesTheModelAndTheModelUpdatesTheBox)
{
    Gui gui;
    QLineEdit* edit = gui.widget<QLineEdit>("EndBox1");
    ASSERT_NE(edit, nullptr);
    const Handle h = gui.h.rt.graphics.findByTag("EndBox1").at(0);
    QTest::keyClicks(edit, "12");
    EXPECT_EQ(gui.h.rt.graphics.get(h, "String"), Value("12"));

    gui.h.rt.graphics.set(h, "String", Value("7"));
    EXPECT_EQ(edit->text(), "7");
    gui.h.rt.graphics.set(h, "Enable", Value("off"));
    EXPECT_FALSE(edit->isEnabled());
    gui.h.rt.graphics.set(h, "Visible", Value("off"));
    EXPECT_TRUE(edit->isHidden());

    const Handle label = gui.h.rt.graphics.findByTag("FileBox1").at(0);
    gui.h.rt.graphics.set(label, "String", Value("25 specimens"));
    EXPECT_EQ(gui.widget<QLabel>("FileBox1")->text(), "25 specimens");
}

TEST(FrontEnd, ConvertsModelPositionsFromTheScreensBottomLeft)
{
    Gui gui;
    gui.h.rt.graphics.setScreenSize(1000, 800);
    const QRect r = gui.frontEnd.toScreen({100, 50, 300, 200});
    EXPECT_EQ(r, QRect(100, 800 - 50 - 200, 300, 200));
    const platform::Rect back = gui.frontEnd.fromScreen(r);
    EXPECT_EQ(back, (platform::Rect{100, 50, 300, 200}));
}

TEST(FrontEnd, APlotWindowGetsACanvasAndAToolbarAndClosingItDeletesTheFigure)
{
    Gui gui;
    platform::GraphicsModel& g = gui.h.rt.graphics;
    const Handle fig = g.createFigure();
    const Handle axes = g.currentAxes(fig);
    g.plot3(axes, {{0, 0, 0}, {1, 1, 1}}, platform::parseLineSpec("b*"));
    QApplication::processEvents();
    qt::FigureWindow* window = gui.frontEnd.window(fig);
    ASSERT_NE(window, nullptr);
    ASSERT_NE(window->plot(), nullptr);
    EXPECT_EQ(window->plot()->axes(), axes);
    ASSERT_NE(window->toolBar(), nullptr);
    QStringList actions;
    for (QAction* a : window->toolBar()->actions())
        actions << a->text();
    for (const char* expected : {"Rotate", "Zoom", "Pan", "Reset view", "Save figure..."})
        EXPECT_TRUE(actions.contains(expected)) << expected;

    window->close();
    QApplication::processEvents();
    EXPECT_FALSE(g.isValid(fig));
    EXPECT_EQ(gui.frontEnd.window(fig), nullptr);

    // Making the closed figure current opens a fresh, empty window under its number.
    EXPECT_EQ(g.makeFigureCurrent(fig), fig);
    QApplication::processEvents();
    ASSERT_NE(gui.frontEnd.window(fig), nullptr);
    EXPECT_TRUE(gui.frontEnd.window(fig)->isVisible());
}

TEST(FrontEnd, DeletingAFigureInTheModelClosesItsWindow)
{
    Gui gui;
    const Handle fig = gui.h.rt.graphics.createFigure();
    QApplication::processEvents();
    ASSERT_NE(gui.frontEnd.window(fig), nullptr);
    gui.h.rt.graphics.deleteObject(fig);
    EXPECT_EQ(gui.frontEnd.window(fig), nullptr);
    QApplication::processEvents();
}

TEST(FrontEnd, MouseDragRotatesAndDoubleClickResetsTheView)
{
    Gui gui;
    platform::GraphicsModel& g = gui.h.rt.graphics;
    const Handle fig = g.createFigure();
    const Handle axes = g.currentAxes(fig);
    g.plot3(axes, {{0, 0, 0}, {1, 1, 1}}, platform::parseLineSpec("b*"));
    QApplication::processEvents();
    qt::PlotCanvas* plot = gui.frontEnd.window(fig)->plot();
    ASSERT_NE(plot, nullptr);
    plot->resize(400, 300);
    QTest::mousePress(plot, Qt::LeftButton, {}, QPoint(100, 100));
    QTest::mouseMove(plot, QPoint(140, 100));
    QTest::mouseRelease(plot, Qt::LeftButton, {}, QPoint(140, 100));
    const platform::Camera& camera = g.object(axes).as<platform::AxesData>().camera;
    EXPECT_NE(camera.azimuth, platform::Camera::kDefaultAzimuth);
    QTest::mouseDClick(plot, Qt::LeftButton, {}, QPoint(140, 100));
    EXPECT_EQ(g.object(axes).as<platform::AxesData>().camera, platform::Camera{});
}
