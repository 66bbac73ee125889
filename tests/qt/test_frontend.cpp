#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QToolBar>
#include <gtest/gtest.h>

#include "../harness.h"
#include "qt/figurewindow.h"
#include "qt/frontend.h"
#include "qt/plotcanvas.h"

using namespace vezedo;
using platform::Handle;
using platform::Value;

namespace {

struct Gui {
    test::Harness h;
    platform::GraphicsModel& g = h.rt.graphics;
    qt::FrontEnd frontEnd{h.program};
    Handle main = h.program.start();

    Gui() { QApplication::processEvents(); }

    template <typename W> W* widget(const char* tag)
    {
        qt::FigureWindow* w = frontEnd.window(main);
        return w ? w->canvas()->findChild<W*>(tag) : nullptr;
    }
};

}  // namespace

TEST(FrontEnd, TheMainWindowHasAWidgetPerTagPlacedFromTheBottomLeftAndBoundToTheModel)
{
    Gui gui;
    qt::FigureWindow* window = gui.frontEnd.window(gui.main);
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->windowTitle().toStdString(), "Vezedo6 - 3D landmark measurements");
    for (const char* tag : {"FileBox1", "WireBox", "CurrentBlockBox", "LengthBox", "ProtoPointBox", "DataSetBox"})
        EXPECT_NE(gui.widget<QLabel>(tag), nullptr) << tag;
    for (const char* tag : {"EndBox1", "EndBox2", "ActivePointBox", "TargetLineBox", "MaxBlockBox"})
        EXPECT_NE(gui.widget<QLineEdit>(tag), nullptr) << tag;
    EXPECT_NE(gui.widget<QWidget>("BlockBox"), nullptr);
    EXPECT_NE(gui.widget<QPushButton>("SetBlocks"), nullptr);
    ASSERT_NE(gui.widget<QPushButton>("LoadProtoButton"), nullptr);
    EXPECT_FALSE(gui.widget<QPushButton>("LoadProtoButton")->isEnabled());
    EXPECT_EQ(gui.widget<QLabel>("ProtoPointBox")->text(), "0");  // the count shows, it is not typed

    QLineEdit* edit = gui.widget<QLineEdit>("EndBox1");
    const Handle h = gui.g.findByTag("EndBox1").at(0);
    const auto p = gui.g.object(h).as<platform::UiControlData>().position;
    EXPECT_EQ(edit->x(), static_cast<int>(p[0]));
    EXPECT_EQ(edit->y() + edit->height(), window->canvas()->height() - static_cast<int>(p[1]));
    // Windows are placed from the screen's bottom-left the same way.
    gui.g.setScreenSize(1000, 800);
    EXPECT_EQ(gui.frontEnd.toScreen({100, 50, 300, 200}), QRect(100, 800 - 50 - 200, 300, 200));
    EXPECT_EQ(gui.frontEnd.fromScreen(QRect(100, 550, 300, 200)), (platform::Rect{100, 50, 300, 200}));

    // Clicks run callbacks, errors included, and typing and the model follow each other.
    QCheckBox* check = gui.widget<QCheckBox>("ShowLineButton");
    ASSERT_TRUE(check && check->isChecked());
    check->click();
    EXPECT_EQ(gui.h.console.take(), "radiobutton1 Callback not implemented yet.\n");
    EXPECT_EQ(gui.g.get(gui.g.findByTag("ShowLineButton").at(0), "Value"), Value(0.0));
    gui.widget<QPushButton>("SetBlocks")->click();  // fails: there is no plot window yet
    EXPECT_FALSE(gui.h.console.text().empty());
    EXPECT_TRUE(gui.frontEnd.window(gui.main)->isVisible());

    QTest::keyClicks(edit, "12");
    EXPECT_EQ(gui.g.get(h, "String"), Value("12"));
    gui.g.set(h, "String", Value("7"));
    EXPECT_EQ(edit->text(), "7");
    gui.g.set(h, "Enable", Value("off"));
    EXPECT_FALSE(edit->isEnabled());
    gui.g.set(h, "Visible", Value("off"));
    EXPECT_TRUE(edit->isHidden());
    gui.g.set(gui.g.findByTag("FileBox1").at(0), "String", Value("25 specimens"));
    EXPECT_EQ(gui.widget<QLabel>("FileBox1")->text(), "25 specimens");
}

TEST(FrontEnd, APlotWindowHasACanvasAndToolbarRotatesByMouseAndFollowsTheFiguresLife)
{
    Gui gui;
    platform::GraphicsModel& g = gui.g;
    const Handle fig = g.createFigure();
    const Handle axes = g.currentAxes(fig);
    g.plot3(axes, {{0, 0, 0}, {1, 1, 1}}, platform::parseLineSpec("b*"));
    QApplication::processEvents();
    qt::FigureWindow* window = gui.frontEnd.window(fig);
    ASSERT_TRUE(window && window->plot() && window->toolBar());
    EXPECT_EQ(window->plot()->axes(), axes);
    QStringList actions;
    for (QAction* a : window->toolBar()->actions())
        actions << a->text();
    for (const char* expected : {"Rotate", "Zoom", "Pan", "Reset view", "Save figure..."})
        EXPECT_TRUE(actions.contains(expected)) << expected;

    qt::PlotCanvas* plot = window->plot();
    plot->resize(400, 300);
    QTest::mousePress(plot, Qt::LeftButton, {}, QPoint(100, 100));
    QTest::mouseMove(plot, QPoint(140, 100));
    QTest::mouseRelease(plot, Qt::LeftButton, {}, QPoint(140, 100));
    const platform::Camera& camera = g.object(axes).as<platform::AxesData>().camera;
    EXPECT_NE(camera.azimuth, platform::Camera::kDefaultAzimuth);
    QTest::mouseDClick(plot, Qt::LeftButton, {}, QPoint(140, 100));
    EXPECT_EQ(g.object(axes).as<platform::AxesData>().camera, platform::Camera{});

    window->close();
    QApplication::processEvents();
    EXPECT_FALSE(g.isValid(fig));
    EXPECT_EQ(gui.frontEnd.window(fig), nullptr);
    // Making the closed figure current opens a fresh window under its number; deleting it closes that.
    EXPECT_EQ(g.makeFigureCurrent(fig), fig);
    QApplication::processEvents();
    ASSERT_NE(gui.frontEnd.window(fig), nullptr);
    EXPECT_TRUE(gui.frontEnd.window(fig)->isVisible());
    g.deleteObject(fig);
    EXPECT_EQ(gui.frontEnd.window(fig), nullptr);
    QApplication::processEvents();
}
