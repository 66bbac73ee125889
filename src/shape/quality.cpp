#include "shape/quality.h"

#include <Eigen/Dense>
#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>
#include <string>

#include "platform/error.h"

namespace vezedo::shape {

using platform::LandmarkSet;
using platform::Matrix;

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
// Candidates whose squared distances differ by less than this fraction of the terms that
// cancel in them are taken as tied: rounding, not the data, tells them apart.
constexpr double kTieTolerance = 1e-12;

std::string count(std::size_t n)
{
    return std::to_string(n);
}

bool allFinite(std::span<const double> v)
{
    return std::all_of(v.begin(), v.end(), [](double x) { return std::isfinite(x); });
}

void requireMean(const Matrix& mean, std::size_t landmarks, const char* what)
{
    if (mean.cols() != 3 || mean.rows() == 0)
        throw Error(std::string(what) + ": the mean shape must be a p x 3 configuration; found " + count(mean.rows()) +
                    " x " + count(mean.cols()));
    if (mean.rows() != landmarks)
        throw Error(std::string(what) + ": the mean shape has " + count(mean.rows()) +
                    " landmarks but the specimens have " + count(landmarks));
    if (!allFinite(mean.values()))
        throw Error(std::string(what) + ": the mean shape holds a coordinate that is not a finite number");
}

void requireFactor(double factor, const char* what)
{
    if (!(factor >= 0.0) || !std::isfinite(factor))
        throw Error(std::string(what) + ": the IQR factor must be a finite number >= 0; found " +
                    std::to_string(factor));
}

std::vector<double> sortedFinite(std::span<const double> values, const char* what)
{
    if (values.empty())
        throw Error(std::string(what) + ": there are no values");
    if (!allFinite(values))
        throw Error(std::string(what) + ": a value is not a finite number");
    std::vector<double> x(values.begin(), values.end());
    std::sort(x.begin(), x.end());
    return x;
}

// Type 7 on values already sorted.
double quantileOfSorted(const std::vector<double>& x, double prob)
{
    const double h = static_cast<double>(x.size() - 1) * prob + 1.0;
    const double lo = std::floor(h);
    const auto k = static_cast<std::size_t>(lo);  // 1-based
    const double a = x[k - 1];
    if (k >= x.size() || h == lo)
        return a;
    return a + (h - lo) * (x[k] - a);
}

Quartiles quartilesOfSorted(const std::vector<double>& x)
{
    return {quantileOfSorted(x, 0.25), quantileOfSorted(x, 0.5), quantileOfSorted(x, 0.75)};
}

// One specimen brought into the frame of the refit: centred on its centroid and scaled to
// unit centroid size (the mean's centroid is added back to both sides of every distance,
// so it drops out), with the mean centred alike. Rows are landmarks: p x 3, row-major.
struct RefitFrame {
    std::size_t p = 0;
    Eigen::Matrix<double, Eigen::Dynamic, 3> x;  // the specimen
    Eigen::Matrix<double, Eigen::Dynamic, 3> m;  // the mean
    Eigen::Matrix3d cross;                       // x' m
    double sizes = 0.0;                          // |x|^2 + |m|^2
};

RefitFrame frameOf(std::span<const double> specimen, const Matrix& mean)
{
    RefitFrame f;
    f.p = mean.rows();
    const auto rows = static_cast<Eigen::Index>(f.p);
    f.x = Eigen::Map<const Eigen::Matrix<double, Eigen::Dynamic, 3>>(specimen.data(), rows, 3);
    f.m = Eigen::Map<const Eigen::Matrix<double, Eigen::Dynamic, 3>>(mean.data(), rows, 3);
    f.x.rowwise() -= f.x.colwise().mean();
    f.m.rowwise() -= f.m.colwise().mean();
    const double cs = f.x.norm();
    if (!(cs > 0.0) || !std::isfinite(cs))
        throw Error("swap search: the specimen's landmarks all coincide (centroid size 0), so it cannot be "
                    "scaled to unit size");
    f.x /= cs;
    f.cross = f.x.transpose() * f.m;
    f.sizes = f.x.squaredNorm() + f.m.squaredNorm();
    return f;
}

// The distance after refitting with landmarks a and b (0-based) exchanged, or as it is when
// a == b: rotation U V' from the SVD of the cross-covariance, no sign correction, so a
// reflection is used when it fits better. Computed in full, for the figures reported.
double refitDistance(const RefitFrame& f, std::size_t a, std::size_t b)
{
    Eigen::Matrix<double, Eigen::Dynamic, 3> x = f.x;
    x.row(static_cast<Eigen::Index>(a)).swap(x.row(static_cast<Eigen::Index>(b)));
    const Eigen::Matrix3d cross = x.transpose() * f.m;
    const Eigen::JacobiSVD<Eigen::Matrix3d> svd(cross, Eigen::ComputeFullU | Eigen::ComputeFullV);
    const Eigen::Matrix3d rotation = svd.matrixU() * svd.matrixV().transpose();
    return (x * rotation - f.m).norm();
}

// The landmarks whose pairs are tried, ascending.
std::vector<std::size_t> candidates(const std::span<const double> specimen, const Matrix& mean,
                                    const SwapSearchOptions& options)
{
    const std::size_t p = mean.rows();
    std::vector<std::size_t> order(p);
    std::iota(order.begin(), order.end(), std::size_t{0});
    if (p <= options.allPairsUpTo || p <= options.candidateLandmarks)
        return order;
    std::vector<double> residual(p);
    for (std::size_t i = 0; i < p; ++i) {
        double s = 0.0;
        for (std::size_t c = 0; c < 3; ++c) {
            const double d = specimen[i + c * p] - mean(i, c);
            s += d * d;
        }
        residual[i] = std::sqrt(s);
    }
    // Largest residual first; equal residuals keep the lower landmark number.
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return residual[a] > residual[b]; });
    order.resize(options.candidateLandmarks);
    std::sort(order.begin(), order.end());
    return order;
}

}  // namespace

std::vector<double> procrustesDistances(const LandmarkSet& fitted, const Matrix& mean)
{
    const std::size_t p = fitted.landmarks();
    requireMean(mean, p, "Procrustes distances");
    if (!allFinite(fitted.values()))
        throw Error("Procrustes distances: a fitted coordinate is not a finite number");
    std::vector<double> out(fitted.specimens());
    const double* m = mean.data();
    for (std::size_t j = 0; j < out.size(); ++j) {
        const auto x = fitted.slice(j);
        double s = 0.0;
        for (std::size_t i = 0; i < x.size(); ++i) {
            const double d = x[i] - m[i];
            s += d * d;
        }
        out[j] = std::sqrt(s);
    }
    return out;
}

double quantile7(std::span<const double> values, double prob)
{
    if (!(prob >= 0.0 && prob <= 1.0))
        throw Error("quantile: the probability must lie in [0, 1]; found " + std::to_string(prob));
    return quantileOfSorted(sortedFinite(values, "quantile"), prob);
}

Quartiles quartiles(std::span<const double> values)
{
    return quartilesOfSorted(sortedFinite(values, "quartiles"));
}

std::vector<std::size_t> upperOutliers(std::span<const double> values, double factor)
{
    requireFactor(factor, "outliers");
    const Quartiles q = quartilesOfSorted(sortedFinite(values, "outliers"));
    const double fence = q.q3 + factor * q.iqr();
    std::vector<std::size_t> out;
    for (std::size_t i = 0; i < values.size(); ++i)
        if (values[i] > fence)
            out.push_back(i);
    return out;
}

std::vector<std::size_t> outsideFences(std::span<const double> values, double factor)
{
    requireFactor(factor, "outliers");
    const Quartiles q = quartilesOfSorted(sortedFinite(values, "outliers"));
    const double low = q.q1 - factor * q.iqr();
    const double high = q.q3 + factor * q.iqr();
    std::vector<std::size_t> out;
    for (std::size_t i = 0; i < values.size(); ++i)
        if (values[i] < low || values[i] > high)
            out.push_back(i);
    return out;
}

SwapSearch searchSwap(std::span<const double> specimen, const Matrix& mean, const SwapSearchOptions& options)
{
    const std::size_t p = mean.rows();
    requireMean(mean, p, "swap search");
    if (specimen.size() != 3 * p)
        throw Error("swap search: the specimen holds " + count(specimen.size()) + " coordinates; a configuration of " +
                    count(p) + " landmarks has " + count(3 * p));
    if (p < 2)
        throw Error("swap search: a configuration of 1 landmark has no pair to exchange");
    if (options.candidateLandmarks < 2)
        throw Error("swap search: at least 2 candidate landmarks are needed; found " +
                    count(options.candidateLandmarks));
    if (!(options.suggestRatio >= 0.0) || !std::isfinite(options.suggestRatio))
        throw Error("swap search: the suggestion ratio must be a finite number >= 0");
    if (!allFinite(specimen))
        throw Error("swap search: a coordinate of the specimen is not a finite number");

    const RefitFrame f = frameOf(specimen, mean);
    const std::vector<std::size_t> landmarks = candidates(specimen, mean, options);

    // Exchanging rows a and b changes neither centroid nor size, and changes the
    // cross-covariance x' m by the rank-1 term -(x_a - x_b)(m_a - m_b)'. With reflections
    // allowed the best fit leaves |x|^2 + |m|^2 - 2 (sum of singular values) as the squared
    // distance, so each candidate costs one 3 x 3 decomposition and no pass over the rows.
    struct Candidate {
        std::size_t a, b;
        double squared;
    };
    std::vector<Candidate> tried;
    tried.reserve(landmarks.size() * (landmarks.size() - 1) / 2);
    double lowest = std::numeric_limits<double>::infinity();
    for (std::size_t u = 0; u < landmarks.size(); ++u) {
        const auto a = static_cast<Eigen::Index>(landmarks[u]);
        for (std::size_t v = u + 1; v < landmarks.size(); ++v) {
            const auto b = static_cast<Eigen::Index>(landmarks[v]);
            const Eigen::Vector3d dx = (f.x.row(a) - f.x.row(b)).transpose();
            const Eigen::Vector3d dm = (f.m.row(a) - f.m.row(b)).transpose();
            const Eigen::Matrix3d cross = f.cross - dx * dm.transpose();
            const Eigen::JacobiSVD<Eigen::Matrix3d> svd(cross);
            const double squared = f.sizes - 2.0 * svd.singularValues().sum();
            tried.push_back({landmarks[u], landmarks[v], squared});
            lowest = std::min(lowest, squared);
        }
    }
    const double tie = kTieTolerance * f.sizes;
    const auto best =
        std::find_if(tried.begin(), tried.end(), [&](const Candidate& c) { return c.squared <= lowest + tie; });

    SwapSearch out;
    out.best = {best->a + 1, best->b + 1};
    out.unswappedDistance = refitDistance(f, 0, 0);
    out.swappedDistance = refitDistance(f, best->a, best->b);
    out.suggested = out.swappedDistance < out.unswappedDistance &&
                    out.swappedDistance <= options.suggestRatio * out.unswappedDistance;
    return out;
}

std::vector<SpecimenQuality> checkQuality(const LandmarkSet& fitted, const Matrix& mean, const QualityOptions& options)
{
    if (fitted.specimens() == 0)
        throw Error("quality check: there are no specimens");
    requireFactor(options.outlierFactor, "quality check");
    const std::vector<double> distances = procrustesDistances(fitted, mean);
    std::vector<SpecimenQuality> out(distances.size());
    for (std::size_t j = 0; j < out.size(); ++j)
        out[j].distance = distances[j];
    for (const std::size_t j : upperOutliers(distances, options.outlierFactor)) {
        out[j].outlier = true;
        if (fitted.landmarks() < 2)
            continue;
        try {
            out[j].search = searchSwap(fitted.slice(j), mean, options.swap);
        } catch (const Error& e) {
            throw Error("quality check, specimen " + count(j + 1) + ": " + e.what());
        }
    }
    return out;
}

LineSummary summariseLine(std::span<const std::optional<double>> lengths, double fenceFactor)
{
    requireFactor(fenceFactor, "line summary");
    std::vector<double> present;
    std::vector<std::size_t> position;
    for (std::size_t i = 0; i < lengths.size(); ++i) {
        if (!lengths[i])
            continue;
        if (!std::isfinite(*lengths[i]))
            throw Error("line summary: the length of specimen " + count(i + 1) + " is not a finite number");
        present.push_back(*lengths[i]);
        position.push_back(i);
    }
    LineSummary s;
    s.n = present.size();
    if (s.n == 0) {
        s.mean = s.sd = s.cv = s.min = s.max = kNaN;
        return s;
    }
    const double n = static_cast<double>(s.n);
    s.mean = std::accumulate(present.begin(), present.end(), 0.0) / n;
    if (s.n >= 2) {
        double squares = 0.0;
        for (const double x : present)
            squares += (x - s.mean) * (x - s.mean);
        s.sd = std::sqrt(squares / (n - 1.0));
        s.cv = s.mean != 0.0 ? 100.0 * s.sd / s.mean : kNaN;
    } else {
        s.sd = s.cv = kNaN;
    }
    const auto [lo, hi] = std::minmax_element(present.begin(), present.end());
    s.min = *lo;
    s.max = *hi;
    for (const std::size_t k : outsideFences(present, fenceFactor))
        s.outliers.push_back(position[k]);
    return s;
}

}  // namespace vezedo::shape
