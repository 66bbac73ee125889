// vezedo6-gpa-bench FILE.tps: reads a 3D TPS file, centres every specimen, superimposes the
// set and prints one line of timings followed by the mean shape at full precision, so that
// the fit can be compared with other tools on identical input.
//
// read_s covers reading the file, parsing it and turning the table into landmark data;
// fit_s covers centring every specimen and the superimposition.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <exception>
#include <string>
#include <string_view>

#include "display/display.h"
#include "io/files.h"
#include "io/tps.h"
#include "platform/services.h"
#include "shape/shape.h"

namespace {

using namespace vezedo;
using Clock = std::chrono::steady_clock;

// Rotation-check reports go to standard error, keeping standard output for the results.
class ErrorStreamConsole : public platform::ConsoleService {
public:
    void write(std::string_view text) override { std::fwrite(text.data(), 1, text.size(), stderr); }
};

double secondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

int run(const std::string& path)
{
    const auto readStart = Clock::now();
    const std::string bytes = io::readFile(path);
    const io::TpsData tps = io::parseTps(bytes, path);
    platform::LandmarkSet data = display::vertxy3D(tps.table);
    const double readSeconds = secondsSince(readStart);

    const auto fitStart = Clock::now();
    for (std::size_t j = 0; j < data.specimens(); ++j) {
        const shape::Centred centred = shape::centsize3D(data.sliceMatrix(j));
        std::copy(centred.y.values().begin(), centred.y.values().end(), data.slice(j).begin());
    }
    ErrorStreamConsole console;
    const shape::Superimposition fit = shape::getpproc3(data, console);
    const double fitSeconds = secondsSince(fitStart);

    std::printf("read_s=%.6f fit_s=%.6f specimens=%zu landmarks=%zu\n", readSeconds, fitSeconds, data.specimens(),
                data.landmarks());
    for (std::size_t i = 0; i < fit.mean.rows(); ++i)
        std::printf("%.17g %.17g %.17g\n", fit.mean(i, 0), fit.mean(i, 1), fit.mean(i, 2));
    return std::fflush(stdout) == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: vezedo6-gpa-bench FILE.tps\n"
                             "Reads a 3D TPS landmark file, superimposes its specimens and prints\n"
                             "read_s=<seconds> fit_s=<seconds> specimens=<k> landmarks=<p>\n"
                             "followed by the p rows (x y z) of the mean shape.\n");
        return 1;
    }
    try {
        return run(argv[1]);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "vezedo6-gpa-bench: %s\n", e.what());
        return 1;
    }
}
