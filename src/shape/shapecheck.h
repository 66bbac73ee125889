#pragma once

#include <cstddef>
#include <functional>
#include <span>
#include <vector>

#include "platform/matrix.h"
#include "shape/quality.h"

// The specimen check's own superimposition and its findings: a generalised Procrustes fit run
// to convergence with proper rotations only, then per specimen its distance to the mean,
// whether it stands out, whether it fits clearly better as a mirror image, and the exchange
// of two landmarks that would explain most of its deviation. The three-pass fit of the rest
// of the program is left alone.
namespace vezedo::shape {

inline constexpr int kMostPasses = 200;
inline constexpr double kMeanTolerance = 1e-12;

// Every specimen centred, scaled to unit centroid size and rotated (determinant +1, never
// reflected) onto the mean; the mean is the average of the fitted specimens scaled to unit
// size. Passes repeat until the mean moves (Frobenius norm) less than `tolerance`, or
// `mostPasses` have run. The first specimen starts the mean.
struct ConvergedFit {
    platform::LandmarkSet fitted;
    platform::Matrix mean;
    int passes = 0;
    bool converged = false;
    double lastMove = 0.0;  // how far the mean moved in the last pass
};
ConvergedFit fitToConvergence(const platform::LandmarkSet& data, int mostPasses = kMostPasses,
                              double tolerance = kMeanTolerance);

// The rules of the check and their constants.
struct CheckOptions {
    double outlierFactor = kOutlierFactor;  // outlier: distance above Q3 + factor x IQR
    // Mirrored: the best fit with a reflection leaves at most this fraction of the distance
    // that the best proper rotation leaves.
    double mirrorRatio = 0.75;
    // Suggested exchange: the best gain exceeds median + gainFactor x MAD of the best gains of
    // the specimens compared with (MAD scaled by 1.4826 to estimate a standard deviation), and
    // it removes at least `smallestShare` of the specimen's squared deviation.
    double gainFactor = 3.0;
    double smallestShare = 0.2;
    // The shape a specimen is compared with is the mean plus its projection on this many
    // principal modes of the sample (or of its group), so that natural variation is not taken
    // for an exchange. No more than a fifth of the specimens compared with.
    // A mode is kept while its variance exceeds modeContrast x the average of the rest.
    std::size_t modes = 6;
    double modeContrast = 3.0;
    std::size_t modeSample = 256;  // specimens, evenly spaced, that estimate the modes
    // Candidate pairs: all of them up to this many landmarks; otherwise every pair among the
    // `candidateLandmarks` farthest from the expected shape, and each landmark with its
    // `neighbours` nearest ones in the mean.
    std::size_t allPairsUpTo = 100;
    std::size_t candidateLandmarks = 40;
    std::size_t neighbours = 2;
    // Candidates ranked by the first-order gain; this many best ones are refitted exactly.
    std::size_t exactCandidates = 16;
    std::size_t allExactUpTo = 16;  // landmarks: up to this many, every pair is refitted exactly
    std::size_t smallestGroup = 4;  // a smaller group is judged against the whole sample
};

struct SpecimenFinding {
    double distance = 0.0;          // to the mean, proper rotation
    double mirroredDistance = 0.0;  // to the mean, best fit with a reflection
    bool outlier = false;
    bool mirrored = false;
    LandmarkPair pair;       // the best exchange found (1-based); {0, 0} when none was tried
    double gain = 0.0;       // how much it lowers the squared distance to the expected shape
    double deviation = 0.0;  // the squared distance to the expected shape, unexchanged
    bool suggested = false;
};

struct CheckResult {
    ConvergedFit fit;
    std::vector<SpecimenFinding> specimens;  // in input order
    std::vector<std::size_t> pooledGroups;   // groups too small, judged with the whole sample
};

// `groups`: a group number per specimen, or empty for one sample. Needs at least one
// specimen of at least 3 landmarks whose landmarks do not all coincide.
// `progress`, when given, hears how far the check has come (0 to 1) now and then; it may stop
// the check by throwing.
CheckResult checkSpecimens(const platform::LandmarkSet& data, std::span<const std::size_t> groups = {},
                           const CheckOptions& options = {}, const std::function<void(double)>& progress = {});

// The median and the scaled MAD (1.4826 x median absolute deviation) of some values.
struct RobustSpread {
    double median = 0.0;
    double mad = 0.0;
};
RobustSpread robustSpread(std::span<const double> values);

}  // namespace vezedo::shape
