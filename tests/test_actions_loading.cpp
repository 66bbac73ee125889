// "LoadFile1" and "LoadFileIMP": the data set, the text of "FileBox1" and the numbered mean
// shape in a new plot window; files that cannot be used change nothing.
#include <array>
#include <cmath>

#include "scenario_checks.h"

using namespace vezedo;
using platform::Matrix;
using namespace vezedo::test;

namespace {

// k specimens of p landmarks: a fixed shape turned, scaled and moved per specimen, then a
// last column that is not the centroid size of the row.
std::vector<std::vector<double>> specimenTable(std::size_t k, std::size_t p)
{
    std::vector<std::vector<double>> rows(k);
    for (std::size_t j = 0; j < k; ++j) {
        const double a = 0.2 * static_cast<double>(j), s = 1.0 + 0.05 * static_cast<double>(j);
        for (std::size_t i = 0; i < p; ++i) {
            const double x = static_cast<double>(i % 4), y = static_cast<double>((i * 7) % 5);
            rows[j].insert(rows[j].end(),
                           {s * (std::cos(a) * x - std::sin(a) * y) + 3, s * (std::sin(a) * x + std::cos(a) * y),
                            s * 0.5 * static_cast<double>(i) - 1});
        }
        rows[j].push_back(100.0 + static_cast<double>(j));
    }
    return rows;
}

// The root of the sum of squares: the centroid size of a centred shape.
double norm(const Matrix& shape)
{
    double sum = 0;
    for (double v : shape.values())
        sum += v * v;
    return std::sqrt(sum);
}

// The specimens are fitted, centred at unit size; a new, current plot window with hold on
// shows their mean shape as blue stars with its numbered landmarks.
void expectNumberedMeanShape(Scenario& s, std::size_t specimens, std::size_t p)
{
    const auto& st = s.state();
    ASSERT_EQ(st.specimens.mean.rows(), p);
    EXPECT_EQ(st.specimens.reference, st.specimens.mean);
    EXPECT_NEAR(norm(st.specimens.mean), 1.0, 1e-12);
    EXPECT_EQ(st.specimens.fitted.specimens(), specimens);
    EXPECT_NEAR(norm(st.specimens.fitted.sliceMatrix(specimens - 1)), 1.0, 1e-9);
    ASSERT_TRUE(st.fighand1);
    EXPECT_NE(*st.fighand1, s.mainWindow);
    EXPECT_TRUE(st.mf == st.fighand1 && s.g().currentFigure() == st.fighand1);
    EXPECT_TRUE(s.g().object(s.plotAxes()).as<platform::AxesData>().hold);
    EXPECT_EQ(drawing(s), Strings{"b*"} + marks(p));
}

}  // namespace

TEST(LoadFile1, DescribesTheFileShowsTheMeanShapeAndASecondLoadReplacesTheDataSet)
{
    Scenario s;
    s.loadTps("mice.txt", makeTps(25, 10));
    EXPECT_EQ(s.box("FileBox1"), "mice.txt \nhas 25 specimens \nwith 10 landmarks");
    // The landmark count, then the import report: one line for a clean file.
    EXPECT_EQ(s.h.console.text(), platform::displayValue("lm", platform::Value(10.0)) +
                                      "mice.txt: 25 specimens, 10 landmarks, IDs unique\n");
    EXPECT_EQ(s.box("DataSetBox"), "mice.txt: 25 specimens, 10 landmarks, IDs unique");
    EXPECT_TRUE(s.h.messages.shown().empty());
    EXPECT_EQ(std::filesystem::current_path(), s.dir.path());
    // Specimen j is specimen 1 scaled by 1 + j/10; its size is taken before the fit.
    ASSERT_EQ(s.state().specimens.sizes.size(), 25u);
    for (std::size_t j = 0; j < 25; ++j)
        EXPECT_NEAR(s.state().specimens.sizes[j] / s.state().specimens.sizes[0], 1.0 + static_cast<double>(j) / 10,
                    1e-5);
    expectNumberedMeanShape(s, 25, 10);

    const platform::Handle first = *s.state().fighand1;
    s.load("LoadProto", "p.txt", "1 3 7\n2 9 10\n");
    s.loadTps("small.txt", makeTps(3, 12));
    // The old data set's plot window closed: exactly one plot window shows the loaded data.
    EXPECT_EQ(s.g().figures(), (std::vector<platform::Handle>{s.mainWindow, *s.state().fighand1}));
    EXPECT_EQ(*s.state().fighand1, first);  // the lowest free number again
    EXPECT_EQ(s.state().mf, s.state().fighand1);
    EXPECT_EQ(s.box("FileBox1"), "small.txt \nhas 3 specimens \nwith 12 landmarks");
    expectProtocol(s, Matrix::fromRows({{1, 3, 7}, {2, 9, 10}}));  // the protocol stays, undrawn
    expectNumberedMeanShape(s, 3, 12);
}

TEST(LoadFileIMP, DescribesTheTableAndKeepsItsSizeColumn)
{
    Scenario s;
    s.load("LoadFileIMP", "mice.txt", tableText(specimenTable(25, 10)));
    EXPECT_EQ(s.box("FileBox1"), "File: mice.txt \n  25 Specimens \n  10 Landmarks");
    // No landmark count, unlike "LoadFile1"; the report only.
    EXPECT_EQ(s.h.console.text(), "mice.txt: 25 specimens, 10 landmarks, no IDs in the file\n");
    EXPECT_EQ(s.h.dialogs.requests().at(0).filter, "*.*");
    ASSERT_EQ(s.state().specimens.sizes.size(), 25u);
    for (std::size_t j = 0; j < 25; ++j)
        EXPECT_EQ(s.state().specimens.sizes[j], 100.0 + static_cast<double>(j));  // as stored
    expectNumberedMeanShape(s, 25, 10);

    s.load("LoadFileIMP", "few.txt", tableText(specimenTable(2, 4)));
    EXPECT_EQ(s.box("FileBox1"), "File: few.txt \n   2 Specimens \n   4 Landmarks");
    EXPECT_EQ(s.state().specimens.sizes, (std::vector<double>{100, 101}));
    expectNumberedMeanShape(s, 2, 4);
}

// Both loaders read and check the whole file before anything changes; the message box names
// the file and the problem.
TEST(LoadFileIMP, UnusableFilesOfEitherLoaderChangeNothing)
{
    Scenario s;
    s.load("LoadFileIMP", "good.txt", tableText(specimenTable(3, 5)));
    const Snapshot before = snapshot(s);
    for (const char* action : {"LoadFile1", "LoadFileIMP"}) {
        s.cancel();
        s.press(action);
        EXPECT_TRUE(s.h.messages.shown().empty());
        EXPECT_TRUE(snapshot(s) == before);
    }
    auto noSize = specimenTable(3, 5);
    for (auto& row : noSize)
        row.pop_back();
    const std::vector<std::array<std::string, 4>> bad{
        {"LoadFile1", "short.txt", "LM=3\n1 2 3\n4 5 6\n", ""},
        {"LoadFile1", "words.txt", "LM=2\n1 2 3\nfour five six\nID=x\n", ""},
        {"LoadFile1", "ragged.txt", makeTps(2, 6) + "LM=4\n1 2 3\n1 2 3\n1 2 3\n1 2 3\n", ""},
        {"LoadFile1", "missing.txt", "", ""},
        {"LoadFileIMP", "nosize.txt", tableText(noSize), "15"},
        {"LoadFileIMP", "ragged.txt", "1 2 3 4 5 6 7\n1 2 3 4 5 6\n", "line 2"},
        {"LoadFileIMP", "empty.txt", "", ""},
        {"LoadFileIMP", "missing.txt", "", ""},
    };
    for (const auto& [action, name, content, problem] : bad)
        expectRefusedLoad(s, action, name, content, problem, before);
}
