// The program's windows on a laptop screen of 1366 x 768 (the offscreen platform is given that
// screen by this executable's test environment): menus, the Help window, where windows open, and
// the everyday controls in view without scrolling.
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QTest>
#include <QTextBrowser>
#include <QTextDocument>
#include <gtest/gtest.h>

#include "desktop.h"
#include "qt/figurewindow.h"
#include "qt/helpwindow.h"

using namespace vezedo;
using test::Desktop;

namespace {

// Lets the windows open and be placed (the front end places a new window a moment later).
void settle()
{
    for (int i = 0; i < 8; ++i) {
        QApplication::processEvents();
        QTest::qWait(50);
    }
}

QAction* menuEntry(qt::FigureWindow* window, const char* menu, const QString& text)
{
    const QMenu* m = window->findChild<QMenu*>(menu);
    if (!m)
        return nullptr;
    for (QAction* a : m->actions())
        if (a->text().remove('&') == text)
            return a;
    return nullptr;
}

struct MenuCase {
    const char* name;
    const char* menu;
    const char* entry;
    const char* keys;  // the shortcut as the menu shows it; "" for none
};

class MainMenus : public testing::TestWithParam<MenuCase> {};

}  // namespace

TEST(Desktop, TheTestScreenIsALaptopScreen)
{
    EXPECT_EQ(QGuiApplication::primaryScreen()->geometry(), QRect(0, 0, 1366, 768));
}

TEST_P(MainMenus, HoldTheEntryWithItsShortcut)
{
    Desktop d;
    QAction* entry = menuEntry(d.frontEnd.window(d.main), GetParam().menu, GetParam().entry);
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->shortcut().toString().toStdString(), GetParam().keys);
}

INSTANTIATE_TEST_SUITE_P(Entries, MainMenus,
                         testing::Values(MenuCase{"LoadTps", "fileMenu", "Load TPS file...", "Ctrl+O"},
                                         MenuCase{"LoadLandmarks", "fileMenu", "Load landmarks...", ""},
                                         MenuCase{"LoadProtocol", "fileMenu", "Load protocol...", ""},
                                         MenuCase{"OpenProject", "fileMenu", "Open project...", "Ctrl+Shift+O"},
                                         MenuCase{"SaveProject", "fileMenu", "Save project...", "Ctrl+Shift+S"},
                                         MenuCase{"SaveProtocol", "fileMenu", "Save protocol...", "Ctrl+S"},
                                         MenuCase{"SaveLengthsCsv", "fileMenu", "Save lengths as CSV...", ""},
                                         MenuCase{"SaveCorrections", "fileMenu", "Save corrections...", ""},
                                         MenuCase{"RecordSession", "fileMenu", "Record session...", ""},
                                         MenuCase{"StopRecording", "fileMenu", "Stop recording", ""},
                                         MenuCase{"Quit", "fileMenu", "Quit", "Ctrl+Q"},
                                         MenuCase{"Undo", "editMenu", "Undo", "Ctrl+Z"},
                                         MenuCase{"Redo", "editMenu", "Redo", "Ctrl+Shift+Z"},
                                         MenuCase{"ExchangeLandmarks", "editMenu", "Exchange landmarks", ""},
                                         MenuCase{"MirrorSpecimen", "editMenu", "Mirror specimen", ""},
                                         MenuCase{"ExcludeSpecimen", "editMenu", "Exclude specimen", ""},
                                         MenuCase{"IncludeSpecimen", "editMenu", "Include specimen", ""},
                                         MenuCase{"Help", "helpMenu", "Help", "F1"}),
                         [](const auto& row) { return std::string(row.param.name); });

// The menu bar's menus open on one click: real menus, not toolbar actions with a menu.
TEST(MainMenus, AreMenusOfTheMenuBar)
{
    Desktop d;
    const QMenuBar* bar = d.frontEnd.window(d.main)->menuBar();
    ASSERT_NE(bar, nullptr);
    QStringList titles;
    for (const QAction* a : bar->actions())
        titles << a->text().remove('&');
    EXPECT_EQ(titles, (QStringList{"File", "Edit", "Help"}));
}

// Ctrl+S saves the protocol in the form it was last written: after a CSV save, as CSV.
TEST(MainMenus, SaveShortcutKeepsTheFormOfTheLastSave)
{
    const struct {
        const char* name;
        std::vector<std::string> steps;
        const char* title;
    } cases[] = {
        {"never saved", {"LoadProto=p.txt", "NewProto"}, "Please Enter Filename for protocol or Wireframe"},
        {"saved as CSV",
         {"LoadProto=p.txt", "SaveProtocolCSV=p.csv", "EndBox1:1", "EndBox2:3", "AddLine"},
         "Save protocol as CSV"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Desktop d;
        for (const std::string& step : c.steps)
            d.run(step);
        qt::FigureWindow* main = d.frontEnd.window(d.main);
        main->activateWindow();
        settle();
        d.answer("cancel");
        const std::size_t asked = d.answers.requests().size();
        QTest::keyClick(main, Qt::Key_S, Qt::ControlModifier);
        ASSERT_EQ(d.answers.requests().size(), asked + 1);
        EXPECT_EQ(d.answers.requests().back().title, c.title);
    }
}

// F1 opens the README, pictures included, in a window that leaves the main window in view.
TEST(HelpWindow, OpensOnF1WithTheGuideAndItsPicturesBesideTheMainWindow)
{
    Desktop d;
    qt::FigureWindow* main = d.frontEnd.window(d.main);
    main->activateWindow();
    settle();
    QTest::keyClick(main, Qt::Key_F1);
    settle();
    auto* help = qobject_cast<qt::HelpWindow*>(d.frontEnd.helpWindow());
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(help->isVisible());
    EXPECT_TRUE(help->browser()->toPlainText().contains("Vezedo6"));
    EXPECT_TRUE(help->browser()->toPlainText().contains("Load TPS file"));
    const QVariant picture = help->browser()->loadResource(QTextDocument::ImageResource, QUrl("docs/main-window.png"));
    EXPECT_TRUE(picture.isValid() && !picture.toByteArray().isEmpty());
    EXPECT_FALSE(help->frameGeometry().intersects(main->frameGeometry()));
    EXPECT_TRUE(help->screen()->availableGeometry().contains(help->frameGeometry()));
}

// Each load closes the plot window and opens a new one under the same figure number: the new
// one opens beside the main window too.
TEST(Windows, APlotWindowOfALaterLoadOpensBesideTheMainWindow)
{
    Desktop d;
    settle();
    const auto first = d.frontEnd.window(*d.program.controller().session().fighand1);
    d.run("LoadFile1=shape.tps");
    settle();
    const auto fig = d.program.controller().session().fighand1;
    ASSERT_TRUE(fig.has_value());
    qt::FigureWindow* plot = d.frontEnd.window(*fig);
    qt::FigureWindow* main = d.frontEnd.window(d.main);
    ASSERT_TRUE(plot && main);
    EXPECT_NE(plot, first);
    EXPECT_TRUE(plot->isVisible());
    EXPECT_FALSE(plot->frameGeometry().intersects(main->frameGeometry()));
    EXPECT_TRUE(main->screen()->availableGeometry().contains(plot->frameGeometry()));
}

// On a laptop screen the main window fits, and the controls of the everyday flow show
// without scrolling.
TEST(MainWindow, FitsALaptopScreenWithTheEverydayControlsInView)
{
    Desktop d;
    settle();
    qt::FigureWindow* main = d.frontEnd.window(d.main);
    EXPECT_TRUE(main->screen()->availableGeometry().contains(main->frameGeometry()));
    const auto* scroll = main->findChild<QScrollArea*>("controlsScroll");
    ASSERT_NE(scroll, nullptr);
    const QRect visible = scroll->viewport()->rect();
    for (const char* tag : {"LoadFile1Button", "LoadProtocolButton", "EndBox1", "EndBox2", "AddLineButton",
                            "SaveLengthsButton", "SaveLengthsCSVButton"}) {
        SCOPED_TRACE(tag);
        const auto controls = d.rt.graphics.findByTag(tag);
        ASSERT_EQ(controls.size(), 1u);
        const qt::ControlBinding* binding = main->control(controls.front());
        ASSERT_TRUE(binding && binding->widget());
        const QWidget* w = binding->widget();
        const QRect at(w->mapTo(scroll->viewport(), QPoint(0, 0)), w->size());
        EXPECT_TRUE(visible.contains(at)) << at.y() << "+" << at.height() << " in " << visible.height();
    }
}
