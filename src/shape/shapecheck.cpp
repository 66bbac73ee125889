#include "shape/shapecheck.h"

#include <Eigen/Dense>
#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <map>
#include <string>

#include "platform/error.h"

namespace vezedo::shape {

using platform::LandmarkSet;
using platform::Matrix;

namespace {

using Shape = Eigen::Matrix<double, Eigen::Dynamic, 3>;
using ShapeMap = Eigen::Map<Shape>;
using ConstShapeMap = Eigen::Map<const Shape>;

// Scales a median absolute deviation to estimate the standard deviation of normal data.
constexpr double kMadScale = 1.4826;
// Exchanges whose gains differ by less than this fraction of |x|^2 + |e|^2 are tied.
constexpr double kTieTolerance = 1e-12;

std::string count(std::size_t n)
{
    return std::to_string(n);
}

// The rotation (determinant +1) R that brings X closest to M, from cross = X' M = U S V':
// R = U D V' with D = diag(1, 1, sign det(U V')).
Eigen::Matrix3d properRotation(const Eigen::Matrix3d& cross)
{
    const Eigen::JacobiSVD<Eigen::Matrix3d> svd(cross, Eigen::ComputeFullU | Eigen::ComputeFullV);
    Eigen::Matrix3d d = Eigen::Matrix3d::Identity();
    if ((svd.matrixU() * svd.matrixV().transpose()).determinant() < 0)
        d(2, 2) = -1;
    return svd.matrixU() * d * svd.matrixV().transpose();
}

// The largest trace of R' cross over rotations (proper) and over reflections (improper):
// s1 + s2 +- s3, the sign of the last term that of det(cross).
struct TraceNorms {
    double proper = 0.0;
    double improper = 0.0;
};
TraceNorms traceNorms(const Eigen::Matrix3d& cross)
{
    const Eigen::Vector3d s = Eigen::JacobiSVD<Eigen::Matrix3d>(cross).singularValues();
    const double sign = cross.determinant() < 0 ? -1.0 : 1.0;
    return {s(0) + s(1) + sign * s(2), s(0) + s(1) - sign * s(2)};
}

double rootOf(double squared)
{
    return std::sqrt(std::max(0.0, squared));
}

// Who a specimen is compared with: the members of its group, or the whole sample.
struct Pool {
    std::vector<std::size_t> members;
    Shape mean;                                  // unit size
    std::vector<Eigen::VectorXd> modes;          // unit vectors of 3p numbers (column-major p x 3)
    std::vector<std::vector<std::size_t>> near;  // per landmark, its nearest ones in the mean
    double fence = 0.0;
    double gainThreshold = 0.0;
    double plainThreshold = 0.0;  // of the search against the mean alone
};

std::vector<std::vector<std::size_t>> nearestLandmarks(const Shape& mean, std::size_t neighbours)
{
    const auto p = static_cast<std::size_t>(mean.rows());
    std::vector<std::vector<std::size_t>> out(p);
    std::vector<std::pair<double, std::size_t>> d(p);
    for (std::size_t a = 0; a < p; ++a) {
        for (std::size_t b = 0; b < p; ++b)
            d[b] = {
                a == b
                    ? std::numeric_limits<double>::infinity()
                    : (mean.row(static_cast<Eigen::Index>(a)) - mean.row(static_cast<Eigen::Index>(b))).squaredNorm(),
                b};
        const std::size_t n = std::min(neighbours, p - 1);
        std::partial_sort(d.begin(), d.begin() + static_cast<std::ptrdiff_t>(n), d.end());
        for (std::size_t i = 0; i < n; ++i)
            out[a].push_back(d[i].second);
    }
    return out;
}

// The principal modes of the members' deviations from the pool mean, estimated from an evenly
// spaced sample of them through the small Gram matrix. Robust to the few specimens the check
// is looking for: those left out (mirrored ones, distance outliers) do not take part, and every
// deviation counts with unit length, so one large deviation cannot make a mode of its own.
// A mode is kept only while its variance stands out against the average of those after it.
std::vector<Eigen::VectorXd> principalModes(const LandmarkSet& fitted, const Pool& pool,
                                            const std::vector<bool>& leftOut, const CheckOptions& options)
{
    std::vector<std::size_t> used;
    for (const std::size_t j : pool.members)
        if (!leftOut[j])
            used.push_back(j);
    const std::size_t wanted = std::min(options.modes, used.size() / 5);
    if (wanted == 0)
        return {};
    if (used.size() > options.modeSample) {
        std::vector<std::size_t> sample;
        for (std::size_t i = 0; i < options.modeSample; ++i)
            sample.push_back(used[i * used.size() / options.modeSample]);
        used = std::move(sample);
    }
    const auto n = static_cast<Eigen::Index>(used.size());
    const auto dims = static_cast<Eigen::Index>(3 * fitted.landmarks());
    const Eigen::Map<const Eigen::VectorXd> mean(pool.mean.data(), dims);
    Eigen::MatrixXd z(dims, n);
    for (Eigen::Index i = 0; i < n; ++i) {
        z.col(i) =
            Eigen::Map<const Eigen::VectorXd>(fitted.slice(used[static_cast<std::size_t>(i)]).data(), dims) - mean;
        const double length = z.col(i).norm();
        if (length > 0.0)
            z.col(i) /= length;
    }
    const Eigen::SelfAdjointEigenSolver<Eigen::MatrixXd> eigen(z.transpose() * z);
    // Shape space has 3p - 7 dimensions (translation, rotation and size removed).
    const auto shapeDims = static_cast<Eigen::Index>(std::max<std::size_t>(3 * fitted.landmarks(), 8) - 7);
    double rest = std::max(eigen.eigenvalues().sum(), 0.0);
    Eigen::Index restDims = std::min(n, shapeDims);
    std::vector<Eigen::VectorXd> modes;
    for (Eigen::Index k = n - 1; k >= 0 && modes.size() < wanted && restDims > 1; --k) {
        const double lambda = eigen.eigenvalues()(k);
        if (!(lambda > options.modeContrast * rest / static_cast<double>(restDims)))
            break;
        Eigen::VectorXd mode = z * eigen.eigenvectors().col(k);
        mode.normalize();
        modes.push_back(std::move(mode));
        rest -= lambda;
        --restDims;
    }
    return modes;
}

// The best exchange of two landmarks of one specimen x (fitted, unit size) against the shape
// e expected of it. Exchanging rows a and b changes neither centroid nor size and changes
// x' e by the rank-1 term -(x_a - x_b)(e_a - e_b)'; the refitted squared distance is
// |x|^2 + |e|^2 - 2 (s1 + s2 +- s3) of that 3 x 3 matrix. Candidates are first ranked by the
// gain without refitting, 2 (x_a - x_b).(e_b - e_a), then the best few refitted exactly.
// With `reflected`, the exchanges are measured against their own expected shapes (the mean
// plus their projections on the pool's modes), and *reflected receives the squared distance of
// the mirror image to its own expected shape.
void searchExchange(const Shape& x, const Shape& e, const Pool& pool, const CheckOptions& options, SpecimenFinding& out,
                    double* reflected)
{
    const bool reproject = reflected != nullptr;
    const auto p = static_cast<std::size_t>(x.rows());
    const Eigen::Matrix3d cross = x.transpose() * e;
    const double sizes = x.squaredNorm() + e.squaredNorm();
    const double base = traceNorms(cross).proper;
    out.deviation = std::max(0.0, sizes - 2.0 * base);
    // For the exchanges measured against their own expected shape: x' mean, x' M_k and
    // <M_k, mean> of every mode M_k (as p x 3).
    std::vector<ConstShapeMap> modeShapes;
    std::vector<Eigen::Matrix3d> crossModes;
    std::vector<double> modeOnMean;
    Eigen::Matrix3d crossMean = Eigen::Matrix3d::Zero();
    if (reproject) {
        crossMean = x.transpose() * pool.mean;
        for (const Eigen::VectorXd& mode : pool.modes) {
            modeShapes.emplace_back(mode.data(), x.rows(), 3);
            crossModes.push_back(x.transpose() * modeShapes.back());
            modeOnMean.push_back(modeShapes.back().cwiseProduct(pool.mean).sum());
        }
        // The mirror image xF (F negates x) turned onto the mean by R, against its own
        // expected shape: in a varied sample the natural differences hide a reflection from
        // the mean alone. <M, xFR> = trace(R' F x'M).
        const Eigen::Matrix3d flip = Eigen::Vector3d(-1.0, 1.0, 1.0).asDiagonal();
        const Eigen::Matrix3d r = properRotation(flip * crossMean);
        double rest = x.squaredNorm() + pool.mean.squaredNorm() - 2.0 * (r.transpose() * flip * crossMean).trace();
        for (std::size_t m = 0; m < modeShapes.size(); ++m) {
            const double along = (r.transpose() * flip * crossModes[m]).trace() - modeOnMean[m];
            rest -= along * along;
        }
        *reflected = std::max(0.0, rest);
    }

    struct Candidate {
        double gain;
        std::size_t a, b;
    };
    // With few landmarks one exchange turns the whole fit, and the first-order ranking misses
    // it: every pair is then refitted exactly.
    const std::size_t exact = p <= options.allExactUpTo ? p * (p - 1) / 2 : options.exactCandidates;
    std::vector<Candidate> best;
    best.reserve(exact + 1);
    const auto consider = [&](std::size_t a, std::size_t b) {
        if (a == b)
            return;
        if (a > b)
            std::swap(a, b);
        const auto ia = static_cast<Eigen::Index>(a), ib = static_cast<Eigen::Index>(b);
        const double g =
            -2.0 * ((x(ia, 0) - x(ib, 0)) * (e(ia, 0) - e(ib, 0)) + (x(ia, 1) - x(ib, 1)) * (e(ia, 1) - e(ib, 1)) +
                    (x(ia, 2) - x(ib, 2)) * (e(ia, 2) - e(ib, 2)));
        if (best.size() == exact && g <= best.back().gain)
            return;
        for (const Candidate& c : best)
            if (c.a == a && c.b == b)
                return;
        Candidate c{g, a, b};
        auto at = std::upper_bound(best.begin(), best.end(), c,
                                   [](const Candidate& l, const Candidate& r) { return l.gain > r.gain; });
        best.insert(at, c);
        if (best.size() > exact)
            best.pop_back();
    };
    if (p <= options.allPairsUpTo) {
        // -2 (x_a - x_b).(e_a - e_b) = 2 (G_ab + G_ba - G_aa - G_bb) with G = x e': one
        // product, then a scan that keeps the best candidates.
        const Eigen::MatrixXd g = x * e.transpose();
        for (std::size_t a = 0; a < p; ++a) {
            const auto ia = static_cast<Eigen::Index>(a);
            for (std::size_t b = a + 1; b < p; ++b) {
                const auto ib = static_cast<Eigen::Index>(b);
                const double gain = 2.0 * (g(ia, ib) + g(ib, ia) - g(ia, ia) - g(ib, ib));
                if (best.size() == exact && gain <= best.back().gain)
                    continue;
                Candidate c{gain, a, b};
                best.insert(std::upper_bound(best.begin(), best.end(), c,
                                             [](const Candidate& l, const Candidate& r) { return l.gain > r.gain; }),
                            c);
                if (best.size() > exact)
                    best.pop_back();
            }
        }
    } else {
        std::vector<std::pair<double, std::size_t>> residual(p);
        for (std::size_t i = 0; i < p; ++i)
            residual[i] = {-(x.row(static_cast<Eigen::Index>(i)) - e.row(static_cast<Eigen::Index>(i))).squaredNorm(),
                           i};
        const std::size_t n = std::min(options.candidateLandmarks, p);
        std::partial_sort(residual.begin(), residual.begin() + static_cast<std::ptrdiff_t>(n), residual.end());
        for (std::size_t u = 0; u < n; ++u)
            for (std::size_t v = u + 1; v < n; ++v)
                consider(residual[u].second, residual[v].second);
        for (std::size_t a = 0; a < p; ++a)
            for (const std::size_t b : pool.near[a])
                consider(a, b);
    }

    const double tie = kTieTolerance * sizes;
    bool found = false;
    for (const Candidate& c : best) {
        const auto ia = static_cast<Eigen::Index>(c.a), ib = static_cast<Eigen::Index>(c.b);
        const Eigen::Vector3d dx = (x.row(ia) - x.row(ib)).transpose();
        const Eigen::Vector3d de = (e.row(ia) - e.row(ib)).transpose();
        double gain = 2.0 * (traceNorms(cross - dx * de.transpose()).proper - base);
        if (reproject) {
            // The expected shape follows the exchanged specimen s (x with rows a and b
            // exchanged, turned onto e by R): what is left is the part of sR - mean off the
            // modes, |sR - mean|^2 - sum_k <M_k, sR - mean>^2, the modes being orthonormal.
            // For any p x 3 matrix A, s'A = x'A - dx dA', so every term is a 3 x 3 update.
            const Eigen::Matrix3d r = properRotation(cross - dx * de.transpose());
            const auto inner = [&](const Eigen::Matrix3d& xa, const auto& a) {
                const Eigen::Vector3d da = (a.row(ia) - a.row(ib)).transpose();
                return (r.transpose() * (xa - dx * da.transpose())).trace();
            };
            double rest = x.squaredNorm() + pool.mean.squaredNorm() - 2.0 * inner(crossMean, pool.mean);
            for (std::size_t m = 0; m < modeShapes.size(); ++m) {
                const double along = inner(crossModes[m], modeShapes[m]) - modeOnMean[m];
                rest -= along * along;
            }
            gain = out.deviation - std::max(0.0, rest);
        }
        const bool better =
            !found || gain > out.gain + tie ||
            (gain >= out.gain - tie && std::pair(c.a + 1, c.b + 1) < std::pair(out.pair.first, out.pair.second));
        if (better) {
            out.gain = gain;
            out.pair = {c.a + 1, c.b + 1};
            found = true;
        }
    }
}

Shape expectedShape(const Shape& x, const Pool& pool)
{
    Shape e = pool.mean;
    const auto dims = static_cast<Eigen::Index>(3 * x.rows());
    Eigen::Map<Eigen::VectorXd> ev(e.data(), dims);
    const Eigen::Map<const Eigen::VectorXd> xv(x.data(), dims);
    const Eigen::Map<const Eigen::VectorXd> mv(pool.mean.data(), dims);
    for (const Eigen::VectorXd& mode : pool.modes)
        ev += mode.dot(xv - mv) * mode;
    return e;
}

}  // namespace

ConvergedFit fitToConvergence(const LandmarkSet& data, int mostPasses, double tolerance)
{
    const std::size_t p = data.landmarks();
    const std::size_t k = data.specimens();
    if (p == 0 || k == 0)
        throw Error("specimen check: there are no specimens to fit");
    if (mostPasses < 1)
        throw Error("specimen check: the fit needs at least one pass");
    const auto rows = static_cast<Eigen::Index>(p);
    ConvergedFit out;
    out.fitted = data;
    for (std::size_t j = 0; j < k; ++j) {
        ShapeMap y(out.fitted.slice(j).data(), rows, 3);
        if (!y.allFinite())
            throw Error("specimen check: specimen " + count(j + 1) + " holds a coordinate that is not a finite number");
        y.rowwise() -= y.colwise().mean();
        const double cs = y.norm();
        if (!(cs > 0.0) || !std::isfinite(cs))
            throw Error("specimen check: specimen " + count(j + 1) +
                        " has centroid size 0 (all its landmarks coincide), so it cannot be scaled to unit size");
        y /= cs;
    }
    Shape mean = ConstShapeMap(out.fitted.slice(0).data(), rows, 3);
    Shape sum(rows, 3);
    for (int pass = 1; pass <= mostPasses; ++pass) {
        sum.setZero();
        for (std::size_t j = 0; j < k; ++j) {
            ShapeMap y(out.fitted.slice(j).data(), rows, 3);
            y = y * properRotation(y.transpose() * mean);
            sum += y;
        }
        const double size = sum.norm();
        if (!(size > 0.0))
            throw Error("specimen check: the mean shape vanished in pass " + std::to_string(pass) +
                        " (the specimens cancel out)");
        sum /= size;
        out.lastMove = (sum - mean).norm();
        mean = sum;
        out.passes = pass;
        if (out.lastMove < tolerance) {
            out.converged = true;
            break;
        }
    }
    out.mean = Matrix(p, 3);
    std::copy(mean.data(), mean.data() + 3 * p, out.mean.data());
    return out;
}

RobustSpread robustSpread(std::span<const double> values)
{
    RobustSpread r;
    r.median = quantile7(values, 0.5);
    std::vector<double> deviations(values.size());
    for (std::size_t i = 0; i < values.size(); ++i)
        deviations[i] = std::abs(values[i] - r.median);
    r.mad = kMadScale * quantile7(deviations, 0.5);
    return r;
}

CheckResult checkSpecimens(const LandmarkSet& data, std::span<const std::size_t> groups, const CheckOptions& options,
                           const std::function<void(double)>& progress)
{
    // The fit takes about a third of the time, the exchange searches the rest.
    constexpr double kFitShare = 0.3;
    constexpr std::size_t kReportEvery = 256;
    const auto report = [&](double fraction) {
        if (progress)
            progress(fraction);
    };
    const std::size_t p = data.landmarks();
    const std::size_t k = data.specimens();
    if (!groups.empty() && groups.size() != k)
        throw Error("specimen check: " + count(groups.size()) + " group labels for " + count(k) + " specimens");
    if (p < 3)
        throw Error("specimen check: a configuration needs at least 3 landmarks; found " + count(p));
    if (options.exactCandidates == 0)
        throw Error("specimen check: at least one candidate must be refitted");
    CheckResult result;
    result.fit = fitToConvergence(data);
    report(kFitShare);
    std::size_t searched = 0;
    const LandmarkSet& fitted = result.fit.fitted;
    const auto rows = static_cast<Eigen::Index>(p);
    const ConstShapeMap mean(result.fit.mean.data(), rows, 3);
    result.specimens.resize(k);
    std::vector<bool> mirrored(k);
    std::vector<SpecimenFinding> plain(k);  // the exchange search against the mean alone
    // Per specimen, the squared distance of its mirror image to that image's expected shape.
    std::vector<double> reflectedDeviation(k, std::numeric_limits<double>::quiet_NaN());

    for (std::size_t j = 0; j < k; ++j) {
        const ConstShapeMap y(fitted.slice(j).data(), rows, 3);
        const TraceNorms t = traceNorms(y.transpose() * mean);
        const double sizes = y.squaredNorm() + mean.squaredNorm();
        SpecimenFinding& f = result.specimens[j];
        f.distance = rootOf(sizes - 2.0 * t.proper);
        f.mirroredDistance = rootOf(sizes - 2.0 * t.improper);
        f.mirrored = f.distance > 0.0 && f.mirroredDistance <= options.mirrorRatio * f.distance;
        mirrored[j] = f.mirrored;
    }

    // The pools: each group large enough, and the whole sample for everyone else.
    std::map<std::size_t, std::vector<std::size_t>> byGroup;
    for (std::size_t j = 0; j < groups.size(); ++j)
        byGroup[groups[j]].push_back(j);
    std::vector<Pool> pools;
    std::vector<std::size_t> poolOf(k, 0);
    pools.emplace_back();  // the whole sample
    for (std::size_t j = 0; j < k; ++j)
        pools[0].members.push_back(j);
    for (const auto& [group, members] : byGroup) {
        if (members.size() < options.smallestGroup) {
            result.pooledGroups.push_back(group);
            continue;
        }
        for (const std::size_t j : members)
            poolOf[j] = pools.size();
        pools.push_back(Pool{members, {}, {}, {}, 0.0, 0.0, 0.0});
    }

    // The groups first, then the whole sample: its fence and gain rule take every specimen,
    // those found in their groups included.
    for (std::size_t step = 1; step <= pools.size(); ++step) {
        const std::size_t q = step % pools.size();
        Pool& pool = pools[q];
        if (q == 0) {
            pool.mean = mean;
        } else {
            pool.mean = Shape::Zero(rows, 3);
            for (const std::size_t j : pool.members)
                pool.mean += ConstShapeMap(fitted.slice(j).data(), rows, 3);
            pool.mean /= pool.mean.norm();
        }
        std::vector<double> distances, gains;
        for (const std::size_t j : pool.members)
            distances.push_back(result.specimens[j].distance);
        const Quartiles quart = quartiles(distances);
        pool.fence = quart.q3 + options.outlierFactor * quart.iqr();
        const bool searches = q > 0 || std::find(poolOf.begin(), poolOf.end(), 0) != poolOf.end();
        if (searches) {
            std::vector<bool> leftOut = mirrored;
            for (const std::size_t j : pool.members)
                leftOut[j] = leftOut[j] || result.specimens[j].distance > pool.fence;
            pool.modes = principalModes(fitted, pool, leftOut, options);
            if (p > options.allPairsUpTo)
                pool.near = nearestLandmarks(pool.mean, options.neighbours);
        }
        std::vector<double> plainGains;
        for (const std::size_t j : pool.members) {
            SpecimenFinding& f = result.specimens[j];
            if (poolOf[j] == q) {
                if (++searched % kReportEvery == 0)
                    report(kFitShare + (1.0 - kFitShare) * static_cast<double>(searched) / static_cast<double>(k));
                const Shape y = ConstShapeMap(fitted.slice(j).data(), rows, 3);
                searchExchange(y, expectedShape(y, pool), pool, options, f,
                               pool.modes.empty() ? nullptr : &reflectedDeviation[j]);
                // The modes can take up part of an exchange: the mean alone is asked too.
                plain[j] = f;
                if (!pool.modes.empty())
                    searchExchange(y, pool.mean, pool, options, plain[j], nullptr);
            }
            if (!mirrored[j]) {
                gains.push_back(f.gain);
                plainGains.push_back(plain[j].gain);
            }
        }
        pool.plainThreshold = std::numeric_limits<double>::infinity();
        if (!plainGains.empty()) {
            const RobustSpread spread = robustSpread(plainGains);
            pool.plainThreshold = spread.median + options.gainFactor * spread.mad;
        }
        if (!gains.empty()) {
            const RobustSpread spread = robustSpread(gains);
            pool.gainThreshold = spread.median + options.gainFactor * spread.mad;
        } else {
            pool.gainThreshold = std::numeric_limits<double>::infinity();
        }
    }

    for (std::size_t j = 0; j < k; ++j) {
        SpecimenFinding& f = result.specimens[j];
        const Pool& pool = pools[poolOf[j]];
        f.outlier = f.distance > pool.fence;
        // In a varied sample: the mirror image lies clearly closer to its own expected shape,
        // and no farther from the mean than the specimen itself.
        if (!f.mirrored && f.deviation > 0.0 && f.mirroredDistance < f.distance &&
            rootOf(reflectedDeviation[j]) <= options.mirrorRatio * rootOf(f.deviation))
            f.mirrored = plain[j].mirrored = true;
        if (f.mirrored) {
            // A far exchange can make a reflection fit better than a rotation too: the
            // specimen is not taken for mirrored when a single exchange brings it clearly
            // closer to the mean (by the same ratio) than its mirror image is.
            const Shape y = ConstShapeMap(fitted.slice(j).data(), rows, 3);
            double exchanged = std::numeric_limits<double>::infinity();
            for (const SpecimenFinding* g : {&f, &plain[j]}) {
                if (g->pair.first == 0)
                    continue;
                Shape swapped = y;
                swapped.row(static_cast<Eigen::Index>(g->pair.first - 1)) =
                    y.row(static_cast<Eigen::Index>(g->pair.second - 1));
                swapped.row(static_cast<Eigen::Index>(g->pair.second - 1)) =
                    y.row(static_cast<Eigen::Index>(g->pair.first - 1));
                const double sizes = swapped.squaredNorm() + mean.squaredNorm();
                exchanged = std::min(exchanged, rootOf(sizes - 2.0 * traceNorms(swapped.transpose() * mean).proper));
            }
            if (exchanged <= options.mirrorRatio * f.mirroredDistance) {
                f.mirrored = false;
                plain[j].mirrored = false;
            }
        }
        const auto passes = [&](const SpecimenFinding& g, double threshold) {
            return !g.mirrored && g.pair.first != 0 && g.gain > 0.0 && g.gain > threshold &&
                   g.gain >= options.smallestShare * g.deviation;
        };
        if (passes(f, pool.gainThreshold)) {
            f.suggested = true;
        } else if (passes(plain[j], pool.plainThreshold)) {
            f.pair = plain[j].pair;
            f.gain = plain[j].gain;
            f.deviation = plain[j].deviation;
            f.suggested = true;
        }
    }
    return result;
}

}  // namespace vezedo::shape
