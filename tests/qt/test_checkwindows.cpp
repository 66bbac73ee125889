// The windows of the checks before measuring: the ranked specimens with their bar chart, and
// the measurement error per line.
#include <QApplication>
#include <QHeaderView>
#include <QImage>
#include <QTableView>
#include <QTableWidget>
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <sstream>

#include "../harness.h"
#include "qt/distancewindow.h"
#include "qt/errorsummarywindow.h"

using namespace vezedo;
using platform::Handle;

namespace {

std::string exampleSkulls()
{
    const auto path = std::filesystem::path(VEZEDO_LAYOUT_DIR).parent_path() / "examples" / "skulls.tps";
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The example skulls (10 landmarks, an LM= line and an ID= line each) with landmarks a and b
// (from 1) of specimen j (from 0) exchanged.
std::string swapped(std::size_t j, std::size_t a, std::size_t b)
{
    std::vector<std::string> lines;
    std::istringstream in(exampleSkulls());
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    const std::size_t first = j * 12 + 1;
    std::swap(lines[first + a - 1], lines[first + b - 1]);
    std::string out;
    for (const std::string& line : lines)
        out += line + "\n";
    return out;
}

// The TPS text with the ID of specimen j (from 0) replaced by id(j).
std::string renamed(const std::string& tps, const std::function<std::string(std::size_t)>& id)
{
    std::istringstream in(tps);
    std::string out;
    std::size_t j = 0;
    for (std::string line; std::getline(in, line);)
        out += (line.rfind("ID=", 0) == 0 ? "ID=" + id(j++) : line) + "\n";
    return out;
}

// The skulls with specimen 7 (skull_07) digitised with landmarks 3 and 8 the wrong way round,
// loaded and checked through the program, and the window showing the check.
struct Checked {
    test::TempDir dir;
    test::RestoreCurrentFolder folder;
    test::Harness h;
    Handle main = h.program.start();
    std::unique_ptr<qt::SpecimensWindow> window;

    explicit Checked(const std::string& tps = swapped(6, 3, 8))
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
    std::string box() const
    {
        return h.rt.graphics.get(h.rt.graphics.findByTag("SpecimenBox").at(0), "String").string();
    }
};

enum Column { Rank, Id, Distance, Outlier, Swap };

TEST(SpecimensWindow, RanksThePlantedSwapFirstWithItsPair)
{
    Checked c;
    ASSERT_EQ(c.window->table()->model()->rowCount(), 25);
    EXPECT_EQ(c.cell(0, Rank), "1");
    EXPECT_EQ(c.cell(0, Id), "skull_07");
    EXPECT_EQ(c.cell(0, Outlier), "yes");
    EXPECT_EQ(c.cell(0, Swap), "3 and 8");
    EXPECT_EQ(c.cell(1, Swap), "");
}

TEST(SpecimensWindow, RowsGoFromTheLargestDistanceDown)
{
    Checked c;
    std::vector<double> shown;
    for (int row = 0; row < 25; ++row)
        shown.push_back(c.cell(row, Distance).toDouble());
    std::vector<double> expected = c.session().check.distance;
    std::sort(expected.begin(), expected.end(), std::greater<>());
    ASSERT_EQ(shown.size(), expected.size());
    for (std::size_t i = 0; i < shown.size(); ++i)
        EXPECT_NEAR(shown[i] / expected[i], 1, 1e-3) << "rank " << i + 1;  // shown to 4 digits
}

struct SortCase {
    const char* name;
    int column;
    Qt::SortOrder order;
    // The specimen (from 0) expected in the first row, worked out from the session's check;
    // -1 for the smallest distance, -2 for the largest.
    int first;
};

class SpecimensSorting : public testing::TestWithParam<SortCase> {};

TEST_P(SpecimensSorting, PutsTheExpectedSpecimenFirst)
{
    Checked c;
    c.sortBy(GetParam().column, GetParam().order);
    const auto& d = c.session().check.distance;
    int first = GetParam().first;
    if (first == -1)
        first = static_cast<int>(std::min_element(d.begin(), d.end()) - d.begin());
    if (first == -2)
        first = static_cast<int>(std::max_element(d.begin(), d.end()) - d.begin());
    EXPECT_EQ(c.cell(0, Id).toStdString(), c.session().specimens.id(static_cast<std::size_t>(first)));
}

INSTANTIATE_TEST_SUITE_P(Columns, SpecimensSorting,
                         testing::Values(SortCase{"IdAscending", Id, Qt::AscendingOrder, 0},
                                         SortCase{"IdDescending", Id, Qt::DescendingOrder, 24},
                                         SortCase{"DistanceAscending", Distance, Qt::AscendingOrder, -1},
                                         SortCase{"DistanceDescending", Distance, Qt::DescendingOrder, -2},
                                         SortCase{"RankDescending", Rank, Qt::DescendingOrder, -1},
                                         SortCase{"OutliersFirst", Outlier, Qt::DescendingOrder, 6},
                                         SortCase{"SwapsFirst", Swap, Qt::DescendingOrder, 6}),
                         [](const auto& row) { return std::string(row.param.name); });

struct SelectCase {
    const char* name;
    int sortColumn;
    int row;
    std::size_t specimen;  // from 0
};

class SpecimensSelecting : public testing::TestWithParam<SelectCase> {};

// The row chosen is typed into SpecimenBox as the specimen's number and ShowSpecimen runs:
// the plot window's axes then hold the specimen's fitted landmarks.
TEST_P(SpecimensSelecting, ShowsThatSpecimenInThePlotWindow)
{
    Checked c;
    c.sortBy(GetParam().sortColumn, Qt::AscendingOrder);
    c.window->table()->selectRow(GetParam().row);
    EXPECT_EQ(c.box(), std::to_string(GetParam().specimen + 1));

    ASSERT_TRUE(c.session().fighand1.has_value());
    const platform::Matrix shape = c.session().specimens.fitted.sliceMatrix(GetParam().specimen);
    bool found = false;
    for (Handle h : c.h.rt.graphics.listObjects(*c.session().fighand1)) {
        if (c.h.rt.graphics.type(h) != platform::ObjectType::Line)
            continue;
        const auto& points = c.h.rt.graphics.object(h).as<platform::LineData>().points;
        if (points.size() != shape.rows())
            continue;
        bool same = true;
        for (std::size_t i = 0; i < points.size(); ++i)
            for (std::size_t k = 0; k < 3; ++k)
                same = same && points[i][k] == shape(i, k);
        found = found || same;
    }
    EXPECT_TRUE(found);
    EXPECT_TRUE(c.h.messages.texts().empty());
}

INSTANTIATE_TEST_SUITE_P(Rows, SpecimensSelecting,
                         testing::Values(SelectCase{"TopRank", Rank, 0, 6}, SelectCase{"ThirdById", Id, 2, 2},
                                         SelectCase{"LastById", Id, 24, 24}),
                         [](const auto& row) { return std::string(row.param.name); });

// IDs that are numbers too: the box takes an ID before a number, so the row must still show
// the specimen chosen, not the one whose ID is that number.
TEST(SpecimensWindow, SelectingShowsTheRowsSpecimenWhenIdsAreNumbers)
{
    Checked c(renamed(swapped(6, 3, 8), [](std::size_t j) { return std::to_string(25 - j); }));
    ASSERT_EQ(c.cell(0, Id), "19");  // skull_07
    c.window->table()->selectRow(0);
    const platform::Matrix shape = c.session().specimens.fitted.sliceMatrix(6);
    bool found = false;
    for (Handle h : c.h.rt.graphics.listObjects(*c.session().fighand1))
        if (c.h.rt.graphics.type(h) == platform::ObjectType::Line) {
            const auto& points = c.h.rt.graphics.object(h).as<platform::LineData>().points;
            found = found || (points.size() == 10 && points[0][0] == shape(0, 0) && points[9][2] == shape(9, 2));
        }
    EXPECT_TRUE(found) << "box: " << c.box();
}

TEST(SpecimensWindow, SortsIdsAsNumbersWithinThem)
{
    Checked c(renamed(swapped(6, 3, 8), [](std::size_t j) { return "s" + std::to_string(j + 1); }));
    c.sortBy(Id, Qt::AscendingOrder);
    EXPECT_EQ((std::vector<QString>{c.cell(0, Id), c.cell(1, Id), c.cell(9, Id)}),
              (std::vector<QString>{"s1", "s2", "s10"}));
}

// A new load replaces the specimens and drops their check: the window follows.
TEST(SpecimensWindow, EmptiesWhenNewSpecimensAreLoaded)
{
    Checked c;
    c.h.dialogs.queuePath(c.dir.write("again.tps", exampleSkulls()));
    c.h.program.runAction("LoadFile1");
    c.window->refresh();
    EXPECT_EQ(c.window->table()->model()->rowCount(), 0);
}

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
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        qt::MeasurementErrorRow row;
        row.line = std::to_string(i + 1);
        row.name = cases[i].name;
        row.percentMe = cases[i].percentMe;
        rows.push_back(row);
    }
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
    for (double me : {1.0, 2.0, 3.0}) {
        shape::MeasurementError e;
        e.percentMe = me;
        comparison.variables.push_back(e);
    }
    const auto rows = qt::measurementErrorRows(comparison, protocol);
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
