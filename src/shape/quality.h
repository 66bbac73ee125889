#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <vector>

#include "platform/matrix.h"

// Quality checks of a superimposed landmark data set: how far each specimen lies from the
// mean, which ones stand out, whether two of a specimen's landmarks were probably digitised
// in each other's place, and a summary of one protocol line's lengths.
//
// Conventions: specimen positions are 0-based indices into the input; landmark numbers are
// 1-based, as the user sees them. Bad input (sizes that do not match, non-finite numbers,
// nothing to work on) throws vezedo::Error; nothing returns a sentinel for failure. NaN in an
// output field means "not defined for this input" and is documented on the field.
namespace vezedo::shape {

// ---- Distances to the mean -------------------------------------------------------------

// The Procrustes distance of every specimen to the mean: the Euclidean (Frobenius) norm of
// fitted specimen minus mean, both p x 3 exactly as the superimposition leaves them (no
// refit). `mean` must be p x 3 with p = fitted.landmarks(); every coordinate finite.
std::vector<double> procrustesDistances(const platform::LandmarkSet& fitted, const platform::Matrix& mean);

// ---- Quartiles and outliers ------------------------------------------------------------

// The sample quantile of probability `prob` in [0, 1] as R's default (type 7): on the sorted
// values x[1..n], h = (n - 1) prob + 1 and Q = x[floor h] + (h - floor h)(x[floor h + 1] -
// x[floor h]). Needs at least one value, all finite.
double quantile7(std::span<const double> values, double prob);

struct Quartiles {
    double q1 = 0.0;
    double median = 0.0;
    double q3 = 0.0;
    double iqr() const { return q3 - q1; }
};
Quartiles quartiles(std::span<const double> values);  // type 7 at 0.25, 0.5, 0.75

// The specimen check flags a distance above Q3 + kOutlierFactor x IQR.
inline constexpr double kOutlierFactor = 1.5;

// Positions (ascending) of the values above Q3 + factor IQR. factor >= 0.
std::vector<std::size_t> upperOutliers(std::span<const double> values, double factor = kOutlierFactor);
// Positions (ascending) of the values outside [Q1 - factor IQR, Q3 + factor IQR]. factor >= 0.
std::vector<std::size_t> outsideFences(std::span<const double> values, double factor = 3.0);

// ---- Swapped landmarks -------------------------------------------------------------------

// Two landmark numbers, 1-based, first < second.
struct LandmarkPair {
    std::size_t first = 0;
    std::size_t second = 0;
    bool operator==(const LandmarkPair&) const = default;
};

// How the swap search chooses and judges its candidates.
struct SwapSearchOptions {
    // Every pair of landmarks is tried when p is at most this; otherwise only pairs among
    // the `candidateLandmarks` landmarks farthest from the mean's landmarks.
    std::size_t allPairsUpTo = 30;
    std::size_t candidateLandmarks = 15;
    // A swap is suggested when it brings the refitted distance down to this fraction of the
    // unswapped one (or lower).
    double suggestRatio = 0.5;
};

// The outcome of trying every candidate exchange of two landmarks of one specimen. Each
// refit is an ordinary Procrustes fit of the specimen alone onto the mean: centred on the
// mean's centroid, scaled to unit centroid size, rotated by the SVD of the 3 x 3
// cross-covariance with reflections allowed, as getpproc3 fits. The distance is then the
// Euclidean norm of refitted specimen minus mean.
struct SwapSearch {
    LandmarkPair best;               // the candidate that gives the lowest distance; ties go
                                     // to the smallest (first, second)
    double unswappedDistance = 0.0;  // the specimen refitted as it is
    double swappedDistance = 0.0;    // the specimen with `best` exchanged, refitted
    bool suggested = false;          // swappedDistance <= suggestRatio x unswappedDistance,
                                     // and strictly lower
};

// Searches the best exchange of two landmarks of one specimen (p x 3, column-major, as a
// LandmarkSet slice or a Matrix holds it). Landmarks are ranked for the candidate rule by
// their distance to the mean's landmark in the configuration as given. Needs p >= 2, the
// mean p x 3, finite coordinates and a specimen whose landmarks do not all coincide.
SwapSearch searchSwap(std::span<const double> specimen, const platform::Matrix& mean,
                      const SwapSearchOptions& options = {});

// ---- The whole check -------------------------------------------------------------------

struct QualityOptions {
    double outlierFactor = kOutlierFactor;  // flagged: distance above Q3 + outlierFactor x IQR
    SwapSearchOptions swap;
};

struct SpecimenQuality {
    double distance = 0.0;  // procrustesDistances
    bool outlier = false;
    // Present for flagged specimens when p >= 2: the best exchange and both refitted distances.
    std::optional<SwapSearch> search;

    // The exchange to propose to the user, when the search suggests one.
    std::optional<LandmarkPair> suggestedSwap() const
    {
        if (search && search->suggested)
            return search->best;
        return std::nullopt;
    }
};

// Distances, outlier flags and a swap search for every flagged specimen, one entry per
// specimen in input order. Needs at least one specimen; other requirements as above.
std::vector<SpecimenQuality> checkQuality(const platform::LandmarkSet& fitted, const platform::Matrix& mean,
                                          const QualityOptions& options = {});

// ---- Lengths of one protocol line --------------------------------------------------------

// One line's lengths across the specimens. A specimen without a length (a landmark missing)
// is std::nullopt and counts nowhere; a present length must be finite.
struct LineSummary {
    std::size_t n = 0;  // specimens with a length
    double mean = 0.0;  // NaN when n = 0
    double sd = 0.0;    // with n - 1; NaN when n < 2
    double cv = 0.0;    // 100 sd / mean; NaN when sd is, or the mean is 0
    double min = 0.0;   // NaN when n = 0
    double max = 0.0;   // NaN when n = 0
    // Positions (into the input, ascending) of the lengths outside [Q1 - f IQR, Q3 + f IQR],
    // f = fenceFactor (3 unless asked otherwise), the quartiles taken over the present lengths.
    std::vector<std::size_t> outliers;
};
LineSummary summariseLine(std::span<const std::optional<double>> lengths, double fenceFactor = 3.0);

}  // namespace vezedo::shape
