// The windows and the records agree with each other: one plot window for the loaded data, a
// line name typed in the table is a recorded edit, the numbers shown come from the exports'
// rules, and dialogs help without changing what scripts see.
#include <QAbstractItemView>
#include <QApplication>
#include <QTableView>
#include <gtest/gtest.h>
#include <sstream>

#include "../harness.h"
#include "controller/views.h"
#include "io/files.h"
#include "qt/figurewindow.h"
#include "qt/frontend.h"
#include "qt/protocolpanel.h"
#include "qt/qtservices.h"
#include "script/recorder.h"
#include "script/runner.h"

using namespace vezedo;
using platform::Handle;

namespace {

constexpr const char* kShape = "LM=4\n0 0 0\n3 0 0\n0 4 0\n0 0 5\nID=a\nLM=4\n1 1 1\n7 1 1\n1 9 1\n1 1 11\nID=b\n";

// The desktop program with scripted dialogs that tell a recorder what they answered.
struct Gui {
    test::TempDir dir;
    test::RestoreCurrentFolder folder;
    platform::ScriptedDialogs answers;
    script::RecordingDialogs dialogs{answers};
    platform::RecordingMessages boxes;
    platform::CapturingConsole console;
    platform::Runtime rt{dialogs, boxes, console};
    shell::Program program{test::Harness::withLayoutFolder(rt)};
    qt::FrontEnd frontEnd{program};
    Handle main = program.start();

    Gui()
    {
        frontEnd.setRecordingDialogs(&dialogs);
        dir.write("shape.tps", kShape);
        dir.write("p.txt", "1 1 2\n2 2 3\n");
    }
    const session::Session& session() { return program.controller().session(); }
    void run(std::string_view action, const char* file = nullptr)
    {
        if (file)
            answers.queuePath((dir.path() / file).string());
        frontEnd.runAction(std::string(action));
        QApplication::processEvents();
    }
    qt::FigureWindow* plotWindow() { return frontEnd.window(*session().fighand1); }
    QTableView* protocolTable() { return plotWindow()->findChild<QTableView*>("protocolTable"); }
};

}  // namespace

// A load closes the plot window of the data it replaces: no window is left to answer clicks
// for data that is no longer loaded.
TEST(OneApplication, ALoadClosesThePlotWindowOfTheDataItReplaces)
{
    Gui g;
    g.run(controller::action::loadSpecimens, "shape.tps");
    const QPointer<qt::FigureWindow> first = g.plotWindow();
    ASSERT_TRUE(first);
    g.run(controller::action::loadSpecimens, "shape.tps");
    QApplication::processEvents();
    EXPECT_TRUE(first.isNull() || !first->isVisible());
    std::size_t plots = 0;
    for (Handle fig : g.rt.graphics.figures())
        if (fig != g.main)
            ++plots;
    EXPECT_EQ(plots, 1u);
    EXPECT_NE(g.plotWindow(), nullptr);
}

// A name typed into the protocol table is the naming action: recorded, counted as unsaved,
// and a replay of the recorded session writes the same named protocol.
TEST(OneApplication, ANameTypedInTheTableIsRecordedCountedAndReplayed)
{
    Gui g;
    g.frontEnd.startRecording((g.dir.path() / "session.vzs").string());
    g.run(controller::action::loadSpecimens, "shape.tps");
    g.run(controller::action::loadProtocol, "p.txt");
    EXPECT_FALSE(g.frontEnd.unsaved().protocol());
    QTableView* table = g.protocolTable();
    ASSERT_NE(table, nullptr);
    table->model()->setData(table->model()->index(1, 3), "cranial length");
    QApplication::processEvents();
    EXPECT_EQ(g.session().protocol.line(2).name, "cranial length");
    EXPECT_TRUE(g.frontEnd.unsaved().protocol());
    g.run(controller::action::saveProtocolCsv, "named.csv");
    EXPECT_FALSE(g.frontEnd.unsaved().protocol());
    g.frontEnd.stopRecording();

    const std::string script = io::readFile((g.dir.path() / "session.vzs").string());
    EXPECT_NE(script.find("set ActivePointBox 2\nset LineNameBox cranial length\npress RenameLine\n"),
              std::string::npos)
        << script;
    std::filesystem::rename(g.dir.path() / "named.csv", g.dir.path() / "named.expected");
    std::ostringstream out;
    script::ScriptRunner runner(out);
    ASSERT_TRUE(runner.runFile(g.dir.path() / "session.vzs")) << out.str();
    const std::string replayed = io::readFile((g.dir.path() / "named.csv").string());
    EXPECT_EQ(replayed, io::readFile((g.dir.path() / "named.expected").string()));
    EXPECT_NE(replayed.find("cranial length"), std::string::npos) << replayed;
}

// The table's mean length leaves out specimens with an estimated end, as the exports write NA
// there: the mean is that of the measured specimens alone.
TEST(OneApplication, TheTablesMeanLengthCountsOnlyMeasuredEnds)
{
    Gui g;
    g.dir.write("gaps.tps", "LM=5\n0 0 0\n3 0 0\n0 4 0\n0 0 5\n2 2 2\nID=a\n"
                            "LM=5\n0 0 0\n6 0 0\n0 4 0\n0 0 5\n2 2 2\nID=b\n"
                            "LM=5\n0 0 0\nNA NA NA\n0 4 0\n0 0 5\n2 2 2\nID=c\n"
                            "LM=5\n0 0 0\n3 0 0\n0 4 0\n0 0 6\n2 2 2\nID=d\n");
    g.run(controller::action::loadSpecimens, "gaps.tps");
    g.run(controller::action::loadProtocol, "p.txt");
    ASSERT_EQ(g.boxes.texts(), std::vector<std::string>{});
    const auto rows = controller::protocolTableRows(g.session());
    ASSERT_EQ(rows.size(), 2u);
    ASSERT_TRUE(rows[0].meanLength.has_value());
    // Line 1 joins landmarks 1 and 2: 3, 6 and 3 units in the measured specimens a, b and d.
    EXPECT_NEAR(*rows[0].meanLength, 4.0, 1e-9);
    QTableView* table = g.protocolTable();
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table->model()->index(0, 4).data().toString(), "4.00");
}

// The desktop dialogs: the action's own filter first, then the further ones and all files;
// a save typed without an extension gets the chosen filter's.
TEST(Dialogs, OfferTheActionsFilterFirstAndAddTheChosenExtension)
{
    const struct {
        const char* name;
        platform::FileRequest request;
        const char* filters;
    } filters[] = {
        {"tps",
         {platform::FileDialogKind::Open, "*.txt", "t", {"TPS files (*.tps *.TPS)"}, {}},
         "*.txt;;TPS files (*.tps *.TPS);;All files (*)"},
        {"any file", {platform::FileDialogKind::Open, "*.*", "t", {}, {}}, "All files (*)"},
        {"csv",
         {platform::FileDialogKind::Save, "*.csv", "t", {"CSV files (*.csv)"}, "x.csv"},
         "*.csv;;CSV files (*.csv);;All files (*)"},
    };
    for (const auto& c : filters) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(qt::dialogFilter(c.request).toStdString(), c.filters);
    }
    const struct {
        const char* typed;
        const char* filter;
        const char* saved;
    } names[] = {
        {"/d/skulls_lengths", "CSV files (*.csv)", "/d/skulls_lengths.csv"},
        {"/d/skulls_lengths", "*.txt", "/d/skulls_lengths.txt"},
        {"/d/skulls_lengths.dat", "CSV files (*.csv)", "/d/skulls_lengths.dat"},
        {"/d.v2/lengths", "*.csv", "/d.v2/lengths.csv"},
        {"/d/lengths", "All files (*)", "/d/lengths"},
        {"", "*.csv", ""},
    };
    for (const auto& c : names) {
        SCOPED_TRACE(c.typed);
        EXPECT_EQ(qt::withExtension(c.typed, c.filter).toStdString(), c.saved);
    }
}

// "Save figure..." reports a failed write through the message boxes, so scripts and tests see
// it, and a written one in the status bar.
TEST(OneApplication, AFigureThatCannotBeSavedSaysSoInAMessageBox)
{
    Gui g;
    g.run(controller::action::loadSpecimens, "shape.tps");
    qt::FigureWindow* plot = g.plotWindow();
    ASSERT_NE(plot, nullptr);
    EXPECT_FALSE(plot->saveFigureTo(QString::fromStdString((g.dir.path() / "no" / "such.png").string()), {}, 96));
    ASSERT_EQ(g.boxes.texts().size(), 1u);
    EXPECT_NE(g.boxes.texts()[0].find("Could not save the figure to"), std::string::npos) << g.boxes.texts()[0];
    EXPECT_TRUE(plot->saveFigureTo(QString::fromStdString((g.dir.path() / "ok.svg").string()), {}, 96));
    EXPECT_EQ(g.console.statuses().back(), "Saved the figure to ok.svg");
}
