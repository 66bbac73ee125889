// The traditional measures file ("SaveLengths"), and what every saving action does with a
// cancelled dialog or a file it cannot write.
#include <array>
#include <cmath>
#include <cstdio>
#include <random>
#include <unistd.h>

#include "scenario_checks.h"

using namespace vezedo;
using namespace vezedo::test;
namespace fs = std::filesystem;

namespace {

using Shape = std::vector<std::array<double, 3>>;

// Turned by a about z and b about x, scaled and moved.
Shape moved(const Shape& shape, double a, double b, double scale, const std::array<double, 3>& shift)
{
    Shape out;
    for (const auto& [x, y, z] : shape) {
        const double x1 = std::cos(a) * x - std::sin(a) * y, y1 = std::sin(a) * x + std::cos(a) * y;
        out.push_back({scale * x1 + shift[0], scale * (std::cos(b) * y1 - std::sin(b) * z) + shift[1],
                       scale * (std::sin(b) * y1 + std::cos(b) * z) + shift[2]});
    }
    return out;
}

// Landmarks 1 to 3 at (0,0,0), (0.3,0,0), (0.3,0.4,0); landmark 4 makes the centroid size 1,
// so the fit keeps every distance. Specimen 1 is that shape with size 10, specimen 2 a
// moved copy twice as big with size 20.
void loadSpecimens(Scenario& s)
{
    const Shape unit{{0, 0, 0}, {0.3, 0, 0}, {0.3, 0.4, 0}, {0, 0, std::sqrt(0.79 / 0.75)}};
    std::vector<std::vector<double>> rows;
    for (const Shape& shape : {unit, moved(unit, 0.7, -1.1, 2, {5, -2, 0.5})}) {
        rows.emplace_back();
        for (const auto& point : shape)
            rows.back().insert(rows.back().end(), point.begin(), point.end());
        rows.back().push_back(10.0 * static_cast<double>(rows.size()));
    }
    s.load("LoadFileIMP", "imp.txt", tableText(rows));
}

}  // namespace

TEST(SaveLengths, WritesEachSpecimensLengthsAtItsOwnScaleThenItsSize)
{
    Scenario s;
    loadSpecimens(s);
    s.load("LoadProto", "p.txt", "1 1 2\n2 2 3\n");
    s.file("m.txt", "an older file, longer than the new one, that must be replaced entirely\n");
    const Snapshot before = snapshot(s);
    s.press("SaveLengths", "m.txt");
    EXPECT_EQ(s.read("m.txt"), " 3.000000  4.000000  10.000000 \n 6.000000  8.000000  20.000000 \n");
    EXPECT_EQ(s.h.dialogs.requests().back().title, "Please Enter Filename for traditional Measures");
    EXPECT_TRUE(s.h.messages.shown().empty());
    EXPECT_TRUE(snapshot(s) == before);

    // Columns follow the protocol's rows; a line from a landmark to itself is no line.
    typeEnds(s, "4", "4");
    s.press("AddLine");
    EXPECT_EQ(s.h.messages.texts(),
              Strings{"Line Not added: it would join landmark 4 to itself, and a line needs two different landmarks"});
    s.type("ActivePointBox", "1");
    s.press("DeleteLine");
    s.press("SaveLengths", "m2.txt");
    EXPECT_EQ(s.read("m2.txt"), " 4.000000  10.000000 \n 8.000000  20.000000 \n");
}

TEST(SaveLengths, RefusesWithoutSpecimensOrProtocolLines)
{
    Scenario s;
    s.press("SaveLengths");  // nothing loaded
    loadSpecimens(s);
    s.press("SaveLengths");  // no protocol yet
    s.press("NewProto");
    s.press("SaveLengths");  // the placeholder only
    typeEnds(s, "1", "2");
    s.press("AddLine");
    s.type("ActivePointBox", "1");
    s.press("DeleteLine");
    s.press("SaveLengths");  // the last line deleted
    ASSERT_EQ(s.h.messages.shown().size(), 4u);
    EXPECT_TRUE(containsEach(s.h.messages.texts()[0], "No specimens")) << s.h.messages.texts()[0];
    for (std::size_t i = 1; i < 4; ++i)
        EXPECT_TRUE(containsEach(s.h.messages.texts()[i], "protocol has no lines")) << s.h.messages.texts()[i];
    EXPECT_EQ(s.h.dialogs.requests().size(), 1u);  // only the load asked for a file

    // A protocol naming landmarks the specimens lack stops before the dialog.
    s.loadTps("shape.txt", makeTps(3, 10));
    s.load("LoadProto", "p.txt", "1 1 9\n");
    loadSpecimens(s);
    const std::size_t asked = s.h.dialogs.requests().size();
    s.answer("m.txt");
    EXPECT_TRUE(containsEach(pressed(s, "SaveLengths"), "landmark 9|1 to 4"));
    EXPECT_EQ(s.h.dialogs.requests().size(), asked);
    EXPECT_FALSE(fs::exists(s.dir.path() / "m.txt"));
}

// Each length after "LoadFile1" is the distance of the two landmarks in the specimen as the
// file holds it, whatever its position, orientation and size.
TEST(SaveLengths, LengthsAreTheRawDistancesOfRandomSpecimens)
{
    constexpr std::size_t p = 7, k = 15;
    std::mt19937 random(20240607);
    const auto uniform = [&](double lo, double hi) {
        return lo + (hi - lo) * static_cast<double>(random() - random.min()) /
                        static_cast<double>(random.max() - random.min());
    };
    Shape base;
    for (std::size_t i = 0; i < p; ++i)
        base.push_back({uniform(-1, 1), uniform(-1, 1), uniform(-1, 1)});
    std::vector<std::pair<std::size_t, std::size_t>> lines;
    std::string protocol, tps, expected;
    for (std::size_t a = 1; a <= p; ++a)
        for (std::size_t b = a + 1; b <= p; ++b) {
            lines.emplace_back(b, a);
            protocol += "1 " + std::to_string(b) + " " + std::to_string(a) + "\n";
        }
    char buf[128];
    for (std::size_t j = 0; j < k; ++j) {
        Shape shape = base;
        for (auto& point : shape)
            for (double& v : point)
                v += uniform(-0.05, 0.05);
        const double a = uniform(0, 6.3), b = uniform(0, 6.3), scale = uniform(0.5, 20);
        shape = moved(shape, a, b, scale, {uniform(-100, 100), uniform(-100, 100), uniform(-100, 100)});
        tps += "LM=" + std::to_string(p) + "\n";
        for (const auto& [x, y, z] : shape) {
            std::snprintf(buf, sizeof buf, "%.17g %.17g %.17g\n", x, y, z);
            tps += buf;
        }
        double squares = 0;  // over all pairs, p times the squared centroid size
        for (const auto& [u, v] : lines) {
            const auto &pu = shape[u - 1], &pv = shape[v - 1];
            const double d = std::hypot(pu[0] - pv[0], pu[1] - pv[1], pu[2] - pv[2]);
            squares += d * d;
            std::snprintf(buf, sizeof buf, " %f ", d);
            expected += buf;
        }
        std::snprintf(buf, sizeof buf, " %f \n", std::sqrt(squares / p));
        expected += buf;
    }
    Scenario s;
    s.loadTps("random.tps", tps);
    s.load("LoadProto", "all.txt", protocol);
    s.press("SaveLengths", "lengths.txt");
    ASSERT_TRUE(s.h.messages.shown().empty());
    EXPECT_EQ(s.read("lengths.txt"), expected);
}

// A cancelled dialog writes nothing and keeps the folder; a folder that cannot be entered or
// a file that cannot be written is reported, leaves an old file as it was and no stray file
// beside it, and changes no state.
TEST(Saving, CancelledOrUnwritableFilesAreLeftAlone)
{
    Scenario s;
    loadSpecimens(s);
    s.load("LoadProto", "p.txt", "1 1 2\n");
    s.type("MaxBlockBox", "1");
    s.press("SetBlocks");
    fs::create_directories(s.dir.path() / "sub" / "taken.txt");
    const bool lockable = ::geteuid() != 0;  // a read-only folder does not stop the superuser
    fs::create_directory(s.dir.path() / "locked");
    s.file("locked/old.txt", "old content\n");
    fs::permissions(s.dir.path() / "locked", fs::perms::owner_read | fs::perms::owner_exec);
    const Snapshot before = snapshot(s);
    const auto expectReported = [&](const std::string& name, std::size_t count) {
        const auto texts = s.h.messages.texts();
        ASSERT_EQ(texts.size(), count);
        EXPECT_EQ(texts.back().rfind("Error on file opening\n", 0), 0u) << texts.back();
        EXPECT_TRUE(containsEach(texts.back().substr(texts.back().find('\n')), name)) << texts.back();
    };
    for (const std::string action : {"SaveProtocol", "SaveLengths", "SaveMatrix"}) {
        SCOPED_TRACE(action);
        fs::current_path(s.dir.path());
        s.cancel();
        s.press(action);
        EXPECT_TRUE(s.h.messages.shown().empty());
        EXPECT_EQ(fs::current_path(), s.dir.path());

        s.press(action, "gone/m.txt");  // a folder that is not there cannot be entered
        expectReported("gone", 1);
        EXPECT_EQ(fs::current_path(), s.dir.path());
        s.press(action, "sub/taken.txt");  // a folder stands where the file should go
        expectReported("taken.txt", 2);
        EXPECT_TRUE(fs::is_directory(s.dir.path() / "sub" / "taken.txt"));
        EXPECT_EQ(std::distance(fs::directory_iterator(s.dir.path() / "sub"), {}), 1);
        EXPECT_EQ(fs::current_path(), s.dir.path() / "sub");  // the chosen folder became current all the same
        if (lockable) {
            s.press(action, "locked/old.txt");
            expectReported("old.txt", 3);
            EXPECT_EQ(s.read("locked/old.txt"), "old content\n");
            EXPECT_EQ(std::distance(fs::directory_iterator(s.dir.path() / "locked"), {}), 1);
        }
        EXPECT_TRUE(snapshot(s) == before);
        EXPECT_EQ(yLabelText(s), "");
        s.h.messages.clear();
    }
    fs::permissions(s.dir.path() / "locked", fs::perms::owner_all);
}
