#include "shape/missing.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "platform/error.h"
#include "platform/services.h"
#include "shape/shape.h"
#include "shape/thinplatespline.h"

namespace vezedo::shape {

using platform::LandmarkSet;

namespace {

bool isMissing(const LandmarkSet& set, std::size_t i, std::size_t j)
{
    return std::isnan(set(i, 0, j)) || std::isnan(set(i, 1, j)) || std::isnan(set(i, 2, j));
}

// Discards what the fit of the complete specimens reports: only the final fit speaks.
class SilentConsole : public platform::ConsoleService {
public:
    void write(std::string_view) override {}
};

}  // namespace

Completed estimateMissingLandmarks(LandmarkSet given, const std::vector<std::string>& names,
                                   const std::function<void(double)>& progress)
{
    // How many specimens are gone through between two reports of the progress.
    constexpr std::size_t kSpecimensPerReport = 256;
    const std::size_t p = given.landmarks(), k = given.specimens();
    // The estimates are written in place: a specimen's own landmarks are read before its
    // estimates are written, and the mean comes from the complete specimens only.
    Completed out{std::move(given), std::vector<std::vector<std::size_t>>(k)};
    const LandmarkSet& raw = out.data;
    std::vector<std::size_t> complete;
    for (std::size_t j = 0; j < k; ++j) {
        for (std::size_t i = 0; i < p; ++i)
            if (isMissing(raw, i, j))
                out.estimated[j].push_back(i + 1);
        if (out.estimated[j].empty())
            complete.push_back(j);
    }
    if (complete.size() == k)
        return out;
    if (complete.empty())
        throw Error("every specimen has missing landmarks; at least one complete specimen is needed to estimate them");
    for (std::size_t j = 0; j < k; ++j)
        if (p - out.estimated[j].size() < 4)
            throw Error(names[j] + " has " + std::to_string(p - out.estimated[j].size()) +
                        " present landmarks; at least 4 are needed to estimate the missing ones");

    // The mean shape of the complete specimens, each centred and scaled as the fit wants it.
    LandmarkSet subset(p, complete.size());
    for (std::size_t s = 0; s < complete.size(); ++s) {
        const Centred c = centsize3D(raw.sliceMatrix(complete[s]));
        std::copy(c.y.values().begin(), c.y.values().end(), subset.slice(s).begin());
    }
    SilentConsole silent;
    const platform::Matrix mean = getpproc3(std::move(subset), silent).mean;

    for (std::size_t j = 0; j < k; ++j) {
        if (progress && j % kSpecimensPerReport == 0)
            progress(static_cast<double>(j) / static_cast<double>(k));
        if (out.estimated[j].empty())
            continue;
        std::vector<Point> source, target;
        for (std::size_t i = 0; i < p; ++i) {
            if (isMissing(raw, i, j))
                continue;
            source.push_back({mean(i, 0), mean(i, 1), mean(i, 2)});
            target.push_back({raw(i, 0, j), raw(i, 1, j), raw(i, 2, j)});
        }
        // Present landmarks nearly in one plane, in the specimen or in the mean, leave the
        // estimate off that plane to the noise: refused rather than guessed.
        for (const auto& [points, where] : {std::pair{&target, "the specimen"}, std::pair{&source, "the mean shape"}}) {
            const double f = flatness(*points);
            if (f < kMinimumFlatness) {
                char share[32];
                std::snprintf(share, sizeof share, "%.1f", 100 * f);
                throw Error("cannot estimate the missing landmarks of " + names[j] +
                            ": its present landmarks lie nearly in one plane in " + where +
                            " (their thinnest spread is " + share + " % of their widest; at least " +
                            std::to_string(static_cast<int>(100 * kMinimumFlatness)) + " % is needed)");
            }
        }
        try {
            const ThinPlateSpline spline(source, target);
            for (std::size_t landmark : out.estimated[j]) {
                const std::size_t i = landmark - 1;
                const Point at = spline({mean(i, 0), mean(i, 1), mean(i, 2)});
                for (std::size_t c = 0; c < 3; ++c)
                    out.data(i, c, j) = at[c];
            }
        } catch (const Error& e) {
            throw Error("cannot estimate the missing landmarks of " + names[j] + ": " + e.what() +
                        " (present landmarks, in the mean shape of the complete specimens)");
        }
    }
    return out;
}

}  // namespace vezedo::shape
