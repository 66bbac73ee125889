// The windows of the checks before measuring: the ranked specimens with their bar chart, and
// the measurement error per line.
#include <QApplication>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QTableView>
#include <QTableWidget>
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>

#include "../harness.h"
#include "controller/actiontable.h"
#include "qt/distancewindow.h"
#include "qt/errorsummarywindow.h"

using namespace vezedo;
using platform::Handle;

namespace {

// The example skulls (10 landmarks, an LM= line and an ID= line each) with landmarks 3 and 8
// of skull_07 (specimen 6 from 0) the wrong way round; IDs renamed id(j), j from 0, if given.
std::string plantedSwap(const std::function<std::string(std::size_t)>& id = {})
{
    std::ifstream in(std::filesystem::path(VEZEDO_LAYOUT_DIR).parent_path() / "examples" / "skulls.tps");
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    std::swap(lines[6 * 12 + 3], lines[6 * 12 + 8]);
    std::string out;
    std::size_t j = 0;
    for (const std::string& line : lines)
        out += (id && line.starts_with("ID=") ? "ID=" + id(j++) : line) + "\n";
    return out;
}

// The skulls with the planted swap loaded and checked through the program, and the window
// showing the check.
struct Checked {
    test::TempDir dir;
    test::RestoreCurrentFolder folder;
    test::Harness h;
    platform::GraphicsModel& graphics = h.rt.graphics;
    Handle main = h.program.start();
    std::unique_ptr<qt::SpecimensWindow> window;

    explicit Checked(const std::string& tps = plantedSwap())
    {
        h.dialogs.queuePath(dir.write("skulls.tps", tps));
        h.program.runAction("LoadFile1");
        h.program.runAction("CheckSpecimens");
        window = std::make_unique<qt::SpecimensWindow>(h.program);
        window->resize(760, 720);
        window->refresh();
    }
    const session::Session& session() { return h.program.controller().session(); }
    QString cell(int row, int column) const { return window->table()->model()->index(row, column).data().toString(); }
    void sortBy(int column, Qt::SortOrder order) const { window->table()->sortByColumn(column, order); }
    std::string box() const { return graphics.get(graphics.findByTag("SpecimenBox").at(0), "String").string(); }
    // Whether a line of the plot window holds exactly the specimen's fitted landmarks.
    bool plots(std::size_t specimen)
    {
        const platform::Matrix shape = session().specimens.fitted.sliceMatrix(specimen);
        for (Handle line : graphics.listObjects(*session().fighand1)) {
            if (graphics.type(line) != platform::ObjectType::Line)
                continue;
            const auto& points = graphics.object(line).as<platform::LineData>().points;
            bool same = points.size() == shape.rows();
            for (std::size_t i = 0; same && i < points.size(); ++i)
                same = points[i][0] == shape(i, 0) && points[i][1] == shape(i, 1) && points[i][2] == shape(i, 2);
            if (same)
                return true;
        }
        return false;
    }
};

const auto byName = [](const auto& row) { return std::string(row.param.name); };

enum Column { Rank, Id, Distance, Outlier, Swap };

// The planted swap ranks first; a new load replaces the specimens and drops their check.
TEST(SpecimensWindow, RanksFromTheLargestDistanceDownAndEmptiesOnANewLoad)
{
    Checked c;
    ASSERT_EQ(c.window->table()->model()->rowCount(), 25);
    EXPECT_EQ(c.cell(0, Rank), "1");
    EXPECT_EQ(c.cell(0, Id), "skull_07");
    EXPECT_EQ(c.cell(0, Outlier), "yes");
    EXPECT_EQ(c.cell(0, Swap), "3 and 8");
    EXPECT_EQ(c.cell(1, Swap), "");
    std::vector<double> expected = c.session().check.distance;
    std::sort(expected.begin(), expected.end(), std::greater<>());
    ASSERT_EQ(expected.size(), 25u);
    for (int row = 0; row < 25; ++row)  // shown to 4 digits
        EXPECT_NEAR(c.cell(row, Distance).toDouble() / expected[static_cast<std::size_t>(row)], 1, 1e-3) << row;
    c.h.dialogs.queuePath(c.dir.write("again.tps", plantedSwap()));
    c.h.program.runAction("LoadFile1");
    c.window->refresh();
    EXPECT_EQ(c.window->table()->model()->rowCount(), 0);
}

TEST(SpecimensWindow, SortsIdsAsNumbersWithinThem)
{
    Checked c(plantedSwap([](std::size_t j) { return "s" + std::to_string(j + 1); }));
    c.sortBy(Id, Qt::AscendingOrder);
    EXPECT_EQ((std::vector<QString>{c.cell(0, Id), c.cell(1, Id), c.cell(9, Id)}),
              (std::vector<QString>{"s1", "s2", "s10"}));
}

// A long ID is shortened in its middle, with the whole of it in the tooltip: the columns after
// it stay in the window.
TEST(SpecimensWindow, ALongIdLeavesEveryColumnInTheWindow)
{
    const std::string longId = "skull_" + std::string(187, 'x') + "_12345";
    ASSERT_EQ(longId.size(), 199u);
    Checked c(plantedSwap([&](std::size_t j) { return longId + std::to_string(j % 10); }));
    c.window->show();
    QApplication::processEvents();
    QTableView* table = c.window->table();
    const QHeaderView* header = table->horizontalHeader();
    for (int column = 0; column < header->count(); ++column) {
        SCOPED_TRACE(header->model()->headerData(column, Qt::Horizontal).toString().toStdString());
        EXPECT_GE(header->sectionViewportPosition(column), 0);
        EXPECT_LE(header->sectionViewportPosition(column) + header->sectionSize(column), table->viewport()->width());
    }
    EXPECT_EQ(table->model()->index(0, Id).data(Qt::ToolTipRole).toString().size(), 200);
}

struct TableCase {
    const char* name;
    bool numberIds;  // IDs 25 down to 1, so that a specimen's number is another one's ID
    int column;
    Qt::SortOrder order;
    int row;
    // The specimen (from 0) expected in the row, worked out from the session's check; -1 for
    // the smallest distance, -2 for the largest.
    int specimen;
    const char* box;  // what SpecimenBox is given; nullptr: the specimen's number
};

class SpecimensTable : public testing::TestWithParam<TableCase> {};

// Choosing a row types its specimen into SpecimenBox and runs ShowSpecimen: the plot window's
// axes then hold the specimen's fitted landmarks. The box takes an ID before a number, so when
// the number is another specimen's ID the specimen's own ID is typed.
TEST_P(SpecimensTable, SortedByAColumnShowsTheChosenRowsSpecimenInThePlotWindow)
{
    const TableCase& row = GetParam();
    Checked c(plantedSwap(row.numberIds ? [](std::size_t j) { return std::to_string(25 - j); }
                                        : std::function<std::string(std::size_t)>{}));
    c.sortBy(row.column, row.order);
    const auto& d = c.session().check.distance;
    auto j = static_cast<std::size_t>(row.specimen);
    if (row.specimen == -1)
        j = static_cast<std::size_t>(std::min_element(d.begin(), d.end()) - d.begin());
    if (row.specimen == -2)
        j = static_cast<std::size_t>(std::max_element(d.begin(), d.end()) - d.begin());
    EXPECT_EQ(c.cell(row.row, Id).toStdString(), c.session().specimens.id(j));
    c.window->table()->selectRow(row.row);
    EXPECT_EQ(c.box(), row.box ? row.box : std::to_string(j + 1));
    ASSERT_TRUE(c.session().fighand1.has_value());
    EXPECT_TRUE(c.plots(j));
    EXPECT_TRUE(c.h.messages.texts().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Rows, SpecimensTable,
    testing::Values(TableCase{"IdAscending", false, Id, Qt::AscendingOrder, 0, 0, nullptr},
                    TableCase{"IdDescending", false, Id, Qt::DescendingOrder, 0, 24, nullptr},
                    TableCase{"DistanceAscending", false, Distance, Qt::AscendingOrder, 0, -1, nullptr},
                    TableCase{"DistanceDescending", false, Distance, Qt::DescendingOrder, 0, -2, nullptr},
                    TableCase{"RankDescending", false, Rank, Qt::DescendingOrder, 0, -1, nullptr},
                    TableCase{"OutliersFirst", false, Outlier, Qt::DescendingOrder, 0, 6, nullptr},
                    TableCase{"SwapsFirst", false, Swap, Qt::DescendingOrder, 0, 6, nullptr},
                    TableCase{"TopRank", false, Rank, Qt::AscendingOrder, 0, 6, "7"},
                    TableCase{"ThirdById", false, Id, Qt::AscendingOrder, 2, 2, "3"},
                    TableCase{"LastById", false, Id, Qt::AscendingOrder, 24, 24, "25"},
                    TableCase{"TopRankWithNumbersForIds", true, Rank, Qt::AscendingOrder, 0, 6, "19"}),
    byName);

QImage rendered(QWidget& widget)
{
    QImage image(widget.size(), QImage::Format_RGB32);
    image.fill(Qt::magenta);
    widget.render(&image);
    return image;
}

// The threshold line lies on the row the chart's mapping gives, and that mapping agrees with
// the drawn bars: the tallest bar's height over the line's height is their distances' ratio.
TEST(DistanceChart, DrawsTheThresholdAtItsHeight)
{
    Checked c;
    c.window->show();  // the chart takes the size the window's layout gives it
    QApplication::processEvents();
    qt::DistanceChart& chart = *c.window->chart();
    ASSERT_GT(chart.plotArea().height(), 100);
    const QImage image = rendered(chart);
    const QRect plot = chart.plotArea();
    const int y = static_cast<int>(std::lround(chart.yPixel(c.session().check.threshold)));
    for (int x = plot.left() + plot.width() / 4; x < plot.left() + plot.width() / 2; ++x) {
        EXPECT_EQ(QColor(image.pixel(x, y)), qt::DistanceChart::thresholdColor()) << x;
        EXPECT_NE(QColor(image.pixel(x, y - 3)), qt::DistanceChart::thresholdColor()) << x;
        EXPECT_NE(QColor(image.pixel(x, y + 3)), qt::DistanceChart::thresholdColor()) << x;
    }
    const int middleOfFirst = plot.left() + plot.width() / 50;  // 25 bars
    int top = plot.top();
    while (top < plot.bottom() && QColor(image.pixel(middleOfFirst, top)) != qt::DistanceChart::outlierColor())
        ++top;
    const double base = plot.top() + plot.height();
    const auto& d = c.session().check.distance;
    EXPECT_NEAR((base - y) / (base - top), c.session().check.threshold / *std::max_element(d.begin(), d.end()), 0.02);
}

// Ten thousand bars are narrower than a pixel: every column of the plot still shows one, the
// outliers (ranked first) on the left in their own colour.
TEST(DistanceChart, TenThousandBarsFillEveryColumn)
{
    qt::DistanceChart chart;
    chart.resize(800, 300);
    std::vector<qt::DistanceChart::Bar> bars;
    for (int r = 0; r < 10000; ++r)
        bars.push_back({1.0 - r * 0.00005, r < 100});
    chart.setBars(bars, 0.99);
    const QImage image = rendered(chart);
    const QRect plot = chart.plotArea();
    const int row = plot.top() + plot.height() - 1;
    EXPECT_EQ(QColor(image.pixel(plot.left(), row)), qt::DistanceChart::outlierColor());
    int outlierColumns = 0;
    for (int x = plot.left(); x < plot.left() + plot.width(); ++x) {
        const QColor color(image.pixel(x, row));
        ASSERT_TRUE(color == qt::DistanceChart::barColor() || color == qt::DistanceChart::outlierColor()) << x;
        outlierColumns += color == qt::DistanceChart::outlierColor() ? 1 : 0;
    }
    EXPECT_NEAR(outlierColumns, plot.width() / 100.0, 1.5);
}

// Exactly the rows whose %ME is above 5 are highlighted, whatever else they hold.
TEST(ErrorSummaryWindow, HighlightsTheRowsAbove5PercentMe)
{
    struct Case {
        const char* name;
        double percentMe;
        bool highlighted;
    };
    const Case cases[] = {
        {"no error", 0, false},    {"just under", 4.99, false}, {"exactly 5", 5, false},
        {"just over", 5.01, true}, {"large", 37.5, true},       {"not worked out", std::nan(""), false},
        {"all error", 100, true},
    };
    std::vector<qt::MeasurementErrorRow> rows;
    for (std::size_t i = 0; i < std::size(cases); ++i)
        rows.push_back({.line = std::to_string(i + 1),
                        .name = cases[i].name,
                        .from = {},
                        .to = {},
                        .percentMe = cases[i].percentMe,
                        .note = {}});
    qt::ErrorSummaryWindow window;
    window.setRows(rows);
    ASSERT_EQ(window.table()->rowCount(), static_cast<int>(std::size(cases)));
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(cases[i].name);
        for (int column = 0; column < window.table()->columnCount(); ++column) {
            const QColor background = window.table()->item(static_cast<int>(i), column)->background().color();
            EXPECT_EQ(background == qt::ErrorSummaryWindow::highlightColor(), cases[i].highlighted) << column;
        }
    }
}

// The variables of a comparison are the protocol's lines in order, then the centroid size.
TEST(ErrorSummaryWindow, RowsNameTheLinesThenTheCentroidSize)
{
    session::Protocol protocol;
    protocol.append(2, 7);
    protocol.append(3, 9);
    protocol.rename(2, "nasal");
    shape::ReplicateComparison comparison;
    for (double me : {1.0, 2.0, 3.0})
        comparison.variables.push_back({.percentMe = me, .note = {}});
    const auto rows = controller::measurementErrorRows(comparison, protocol);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ((std::vector<std::string>{rows[0].line, rows[1].line, rows[2].line}),
              (std::vector<std::string>{"1", "2", "cs"}));
    EXPECT_EQ(rows[1].name, "nasal");
    EXPECT_EQ(rows[1].from, 3u);
    EXPECT_EQ(rows[1].to, 9u);
    EXPECT_FALSE(rows[2].from.has_value());
    EXPECT_EQ(rows[2].percentMe, 3.0);
}

}  // namespace

// Choosing the row of a suggested exchange fills the specimen and both landmark boxes, so one
// press of Exchange landmarks makes it; the window then lists the correction, and the check it
// shows, run again on the corrected specimens, suggests nothing for that specimen any more.
TEST(SpecimensWindow, ASuggestionFillsTheBoxesOfExchangeLandmarksAndTheCorrectionIsListed)
{
    Checked c;
    ASSERT_TRUE(c.session().check.swap.at(6).has_value());
    c.sortBy(Rank, Qt::AscendingOrder);
    int row = -1;
    for (int r = 0; r < c.window->table()->model()->rowCount(); ++r)
        if (c.cell(r, Id) == "skull_07")
            row = r;
    ASSERT_GE(row, 0);
    c.window->table()->selectRow(row);
    const auto text = [&](const char* tag) {
        return c.graphics.get(c.graphics.findByTag(tag).at(0), "String").string();
    };
    EXPECT_EQ(c.box(), "7");
    EXPECT_EQ(text("EndBox1"), "3");
    EXPECT_EQ(text("EndBox2"), "8");
    EXPECT_EQ(c.window->corrections()->text().toStdString(), "Corrections in place: none.");
    c.h.program.runAction(std::string(controller::action::exchangeLandmarks));
    c.window->refresh();
    EXPECT_TRUE(c.h.messages.texts().empty());
    EXPECT_FALSE(c.session().check.swap.at(6).has_value());
    EXPECT_NE(c.window->corrections()->text().toStdString().find("specimen 7 (skull_07): landmarks 3 and 8 exchanged"),
              std::string::npos)
        << c.window->corrections()->text().toStdString();
}
