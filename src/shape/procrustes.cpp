#include <Eigen/Dense>
#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "platform/error.h"
#include "platform/parallel.h"
#include "shape/shape.h"

namespace vezedo::shape {

using platform::ConsoleService;
using platform::LandmarkSet;
using platform::Matrix;

namespace {

constexpr int kPasses = 3;
constexpr double kCheckScale = 100000.0;  // the rotation check rounds to 5 decimals

// The configurations are column-major p x 3 blocks (a LandmarkSet slice or a p x 3 Matrix),
// worked on through raw column pointers so that no slice is ever copied into a Matrix.
// The sums use four interleaved partial sums: fast, and the same bits wherever a block
// lies in memory (a vectorised reduction would depend on its alignment).
double sum(const double* v, std::size_t n)
{
    double a0 = 0.0, a1 = 0.0, a2 = 0.0, a3 = 0.0;
    std::size_t i = 0;
    for (; i + 4 <= n; i += 4) {
        a0 += v[i];
        a1 += v[i + 1];
        a2 += v[i + 2];
        a3 += v[i + 3];
    }
    for (; i < n; ++i)
        a0 += v[i];
    return (a0 + a1) + (a2 + a3);
}

double dot(const double* a, const double* b, std::size_t n)
{
    double a0 = 0.0, a1 = 0.0, a2 = 0.0, a3 = 0.0;
    std::size_t i = 0;
    for (; i + 4 <= n; i += 4) {
        a0 += a[i] * b[i];
        a1 += a[i + 1] * b[i + 1];
        a2 += a[i + 2] * b[i + 2];
        a3 += a[i + 3] * b[i + 3];
    }
    for (; i < n; ++i)
        a0 += a[i] * b[i];
    return (a0 + a1) + (a2 + a3);
}

double squaredDeviations(const double* v, std::size_t n, double mean)
{
    double a0 = 0.0, a1 = 0.0, a2 = 0.0, a3 = 0.0;
    std::size_t i = 0;
    for (; i + 4 <= n; i += 4) {
        const double d0 = v[i] - mean, d1 = v[i + 1] - mean, d2 = v[i + 2] - mean, d3 = v[i + 3] - mean;
        a0 += d0 * d0;
        a1 += d1 * d1;
        a2 += d2 * d2;
        a3 += d3 * d3;
    }
    for (; i < n; ++i) {
        const double d = v[i] - mean;
        a0 += d * d;
    }
    return (a0 + a1) + (a2 + a3);
}

double mean(const double* v, std::size_t n)
{
    return sum(v, n) / static_cast<double>(n);
}

// As centsize3Da measures it: centred column by column, then the squares summed.
double centroidSize(const double* block, std::size_t p)
{
    double total = 0.0;
    for (std::size_t c = 0; c < 3; ++c) {
        const double* col = block + c * p;
        total += squaredDeviations(col, p, mean(col, p));
    }
    return std::sqrt(total);
}

bool usableSize(double cs)
{
    return cs > 0.0 && cs <= std::numeric_limits<double>::max();
}

void scale(double* block, std::size_t p, double cs)
{
    for (std::size_t i = 0; i < 3 * p; ++i)
        block[i] /= cs;
}

Eigen::Matrix3d bestRotation(const double* reference, const double* subject, std::size_t p)
{
    Eigen::Matrix3d a;  // subject' * reference
    for (Eigen::Index i = 0; i < 3; ++i)
        for (Eigen::Index j = 0; j < 3; ++j)
            a(i, j) = dot(subject + static_cast<std::size_t>(i) * p, reference + static_cast<std::size_t>(j) * p, p);
    if (!a.allFinite())  // the decomposition leaves U and V unset for such input
        return Eigen::Matrix3d::Constant(std::numeric_limits<double>::quiet_NaN());
    const Eigen::JacobiSVD<Eigen::Matrix3d> svd(a, Eigen::ComputeFullU | Eigen::ComputeFullV);
    // U * I * V': no sign correction, so a reflection is returned when it fits better.
    return svd.matrixU() * Eigen::Matrix3d::Identity() * svd.matrixV().transpose();
}

Matrix toMatrix(const Eigen::Matrix3d& m)
{
    Matrix out(3, 3);
    for (std::size_t c = 0; c < 3; ++c)
        for (std::size_t r = 0; r < 3; ++r)
            out(r, c) = m(static_cast<Eigen::Index>(r), static_cast<Eigen::Index>(c));
    return out;
}

// Reports a rotation whose first column is not of unit length (to 5 decimals); the fit
// goes on with it either way.
bool checkRotation(const Eigen::Matrix3d& roto, ConsoleService& console)
{
    const double first = roto(0, 0) * roto(0, 0) + roto(1, 0) * roto(1, 0) + roto(2, 0) * roto(2, 0);
    if (std::round(first * kCheckScale) / kCheckScale == 1.0)
        return true;
    console.display("stemp", platform::Value("Error in rotation"));
    console.display("roto", toMatrix(roto));
    console.display("temp", toMatrix(roto.transpose() * roto));
    return false;
}

// Fits the p x 3 block `subject` onto `reference` in place: centred, scaled to unit
// centroid size, rotated. `scratch` holds p x 3 numbers; `sum3`, when given, receives the
// fitted block added in. Returns the subject's centroid size; when it is unusable (0, or
// not finite) the subject is left as it was and nothing is added.
double fitInPlace(const double* reference, double* subject, double* scratch, double* sum3, std::size_t p,
                  ConsoleService& console)
{
    for (std::size_t c = 0; c < 3; ++c) {
        const double* in = subject + c * p;
        double* out = scratch + c * p;
        const double m = mean(in, p);
        for (std::size_t i = 0; i < p; ++i)
            out[i] = in[i] - m;
    }
    const double cs = centroidSize(scratch, p);
    if (!usableSize(cs))
        return cs;
    scale(scratch, p, cs);

    const Eigen::Matrix3d roto = bestRotation(reference, scratch, p);
    checkRotation(roto, console);

    const double* s0 = scratch;
    const double* s1 = scratch + p;
    const double* s2 = scratch + 2 * p;
    for (Eigen::Index c = 0; c < 3; ++c) {
        const double r0 = roto(0, c), r1 = roto(1, c), r2 = roto(2, c);
        double* out = subject + static_cast<std::size_t>(c) * p;
        for (std::size_t i = 0; i < p; ++i)
            out[i] = s0[i] * r0 + s1[i] * r1 + s2[i] * r2;
        if (sum3) {
            double* acc = sum3 + static_cast<std::size_t>(c) * p;
            for (std::size_t i = 0; i < p; ++i)
                acc[i] += out[i];
        }
    }
    return cs;
}

// The fit of one specimen in a pass of getpproc3, fused into four sweeps over its p x 3
// block: column sums; centring with the sum of squares; the nine products with the
// reference; rotation, scaling and adding into `sum3`. The rotation of the centred block
// equals that of the scaled one, so the scale is applied once, at the end.
struct PassFit {
    double cs = 0.0;
    std::optional<Eigen::Matrix3d> badRotation;  // a rotation the check reports
};

PassFit fitForPass(const double* reference, double* subject, double* scratch, double* sum3, std::size_t p)
{
    PassFit out;
    double squares = 0.0;
    for (std::size_t c = 0; c < 3; ++c) {
        const double* in = subject + c * p;
        double* centred = scratch + c * p;
        const double m = mean(in, p);
        double a0 = 0.0, a1 = 0.0;
        std::size_t i = 0;
        for (; i + 2 <= p; i += 2) {
            const double d0 = in[i] - m, d1 = in[i + 1] - m;
            centred[i] = d0;
            centred[i + 1] = d1;
            a0 += d0 * d0;
            a1 += d1 * d1;
        }
        for (; i < p; ++i) {
            const double d = in[i] - m;
            centred[i] = d;
            a0 += d * d;
        }
        squares += a0 + a1;
    }
    out.cs = std::sqrt(squares);
    if (!usableSize(out.cs))
        return out;

    const double* s0 = scratch;
    const double* s1 = scratch + p;
    const double* s2 = scratch + 2 * p;
    const double* r0 = reference;
    const double* r1 = reference + p;
    const double* r2 = reference + 2 * p;
    double a00 = 0, a01 = 0, a02 = 0, a10 = 0, a11 = 0, a12 = 0, a20 = 0, a21 = 0, a22 = 0;
    for (std::size_t i = 0; i < p; ++i) {
        a00 += s0[i] * r0[i];
        a01 += s0[i] * r1[i];
        a02 += s0[i] * r2[i];
        a10 += s1[i] * r0[i];
        a11 += s1[i] * r1[i];
        a12 += s1[i] * r2[i];
        a20 += s2[i] * r0[i];
        a21 += s2[i] * r1[i];
        a22 += s2[i] * r2[i];
    }
    Eigen::Matrix3d a;
    a << a00, a01, a02, a10, a11, a12, a20, a21, a22;
    Eigen::Matrix3d roto;
    if (!a.allFinite()) {
        roto.setConstant(std::numeric_limits<double>::quiet_NaN());
    } else {
        const Eigen::JacobiSVD<Eigen::Matrix3d> svd(a, Eigen::ComputeFullU | Eigen::ComputeFullV);
        roto = svd.matrixU() * svd.matrixV().transpose();
    }
    const double first = roto(0, 0) * roto(0, 0) + roto(1, 0) * roto(1, 0) + roto(2, 0) * roto(2, 0);
    if (std::round(first * kCheckScale) / kCheckScale != 1.0)
        out.badRotation = roto;

    const double inverse = 1.0 / out.cs;
    for (Eigen::Index c = 0; c < 3; ++c) {
        const double q0 = roto(0, c) * inverse, q1 = roto(1, c) * inverse, q2 = roto(2, c) * inverse;
        double* fitted = subject + static_cast<std::size_t>(c) * p;
        double* acc = sum3 + static_cast<std::size_t>(c) * p;
        for (std::size_t i = 0; i < p; ++i) {
            const double v = s0[i] * q0 + s1[i] * q1 + s2[i] * q2;
            fitted[i] = v;
            acc[i] += v;
        }
    }
    return out;
}

// Specimens summed into one partial sum; the partial sums are added in order. The grouping
// is fixed, so the fit gives the same bits on any number of threads.
constexpr std::size_t kGroup = 256;

std::string sizeProblem(double cs)
{
    if (cs == 0.0)
        return "has centroid size 0 (all its landmarks coincide), so it cannot be scaled to unit size";
    return "holds a coordinate that is not a finite number (or so large that its centroid size overflows)";
}

void requireShape(const Matrix& m, const char* function, const char* what)
{
    if (m.cols() != 3 || m.rows() == 0)
        throw Error(std::string(function) + ": the " + what +
                    " must be a p x 3 configuration (x, y, z per landmark); found " + std::to_string(m.rows()) + " x " +
                    std::to_string(m.cols()));
}

void requireSameSize(const Matrix& reference, const Matrix& subject, const char* function)
{
    requireShape(reference, function, "reference");
    requireShape(subject, function, "subject");
    if (reference.rows() != subject.rows())
        throw Error(std::string(function) + ": the reference has " + std::to_string(reference.rows()) +
                    " landmarks but the subject has " + std::to_string(subject.rows()));
}

// Divides the reference by its centroid size; `what` names it for the error.
void normalise(std::vector<double>& reference, std::size_t p, const std::string& what)
{
    const double cs = centroidSize(reference.data(), p);
    if (!usableSize(cs))
        throw Error("getpproc3: " + what + " " + sizeProblem(cs));
    scale(reference.data(), p, cs);
}

}  // namespace

bool checkRotation(const Matrix& roto, ConsoleService& console)
{
    if (roto.rows() != 3 || roto.cols() != 3)
        throw Error("checkRotation: a rotation is 3 x 3; found " + std::to_string(roto.rows()) + " x " +
                    std::to_string(roto.cols()));
    return checkRotation(Eigen::Map<const Eigen::Matrix3d>(roto.data()), console);
}

Matrix svdrot2(const Matrix& reference, const Matrix& subject)
{
    requireSameSize(reference, subject, "svdrot2");
    return toMatrix(bestRotation(reference.data(), subject.data(), subject.rows()));
}

Matrix partialprocrustes3a(const Matrix& reference, const Matrix& subject, ConsoleService& console)
{
    requireSameSize(reference, subject, "partialprocrustes3a");
    const std::size_t p = subject.rows();
    Matrix y = subject;
    std::vector<double> scratch(3 * p);
    const double cs = fitInPlace(reference.data(), y.data(), scratch.data(), nullptr, p, console);
    if (!usableSize(cs))
        throw Error("partialprocrustes3a: the subject " + sizeProblem(cs));
    return y;
}

Superimposition getpproc3(LandmarkSet data, ConsoleService& console, std::size_t threadsAsked)
{
    const std::size_t p = data.landmarks();
    const std::size_t count = data.specimens();
    if (p == 0 || count == 0)
        throw Error("getpproc3: the landmark data set is empty (" + std::to_string(p) + " landmarks, " +
                    std::to_string(count) + " specimens)");

    // The specimens are fitted in place: a caller that hands its data over keeps no second copy.
    Superimposition out;
    out.fitted = std::move(data);
    const std::size_t block = 3 * p;

    // The starting reference: the specimens summed as given, then centred and scaled.
    std::vector<double> reference(block, 0.0);
    for (std::size_t j = 0; j < count; ++j) {
        const auto slice = out.fitted.slice(j);
        for (std::size_t i = 0; i < block; ++i)
            reference[i] += slice[i];
    }
    for (std::size_t c = 0; c < 3; ++c) {
        double* col = reference.data() + c * p;
        const double m = mean(col, p);
        for (std::size_t i = 0; i < p; ++i)
            col[i] -= m;
    }
    const double startSize = centroidSize(reference.data(), p);
    if (!usableSize(startSize)) {
        // Name the culprit when one specimen is degenerate on its own.
        for (std::size_t j = 0; j < count; ++j) {
            const double cs = centroidSize(out.fitted.slice(j).data(), p);
            if (!usableSize(cs))
                throw Error("getpproc3: specimen " + std::to_string(j + 1) + " " + sizeProblem(cs));
        }
        throw Error("getpproc3: the starting reference (the sum of the " + std::to_string(count) +
                    " specimens as given) " + sizeProblem(startSize));
    }
    scale(reference.data(), p, startSize);

    if (count == 1) {
        out.fitted = LandmarkSet(p, 1);
        std::copy(reference.begin(), reference.end(), out.fitted.slice(0).begin());
    } else {
        const std::size_t groups = (count + kGroup - 1) / kGroup;
        // Threads pay from about a million coordinates on.
        const std::size_t threads = std::min(groups, threadsAsked != 0                         ? threadsAsked
                                                     : count * block >= (std::size_t{1} << 20) ? platform::threadsFor(0)
                                                                                               : std::size_t{1});
        std::vector<double> partial(groups * block);
        std::vector<double> scratch(threads * block);
        struct Finding {
            std::size_t specimen;
            PassFit fit;
        };
        std::vector<std::vector<Finding>> findings(groups);  // bad rotations, then an unusable size
        for (int pass = 1; pass <= kPasses; ++pass) {
            std::fill(partial.begin(), partial.end(), 0.0);
            const auto work = [&](std::size_t thread) {
                for (std::size_t g = thread; g < groups; g += threads) {
                    findings[g].clear();
                    double* acc = partial.data() + g * block;
                    for (std::size_t j = g * kGroup; j < std::min(count, (g + 1) * kGroup); ++j) {
                        PassFit fit = fitForPass(reference.data(), out.fitted.slice(j).data(),
                                                 scratch.data() + thread * block, acc, p);
                        const bool unusable = !usableSize(fit.cs);
                        if (fit.badRotation || unusable)
                            findings[g].push_back({j, std::move(fit)});
                        if (unusable)
                            break;
                    }
                }
            };
            if (threads > 1) {
                for (const std::exception_ptr& failure : platform::runParts(threads, work))
                    if (failure)
                        std::rethrow_exception(failure);
            } else {
                work(0);
            }
            // What the serial fit reports: every bad rotation up to the first unusable specimen.
            for (const auto& group : findings) {
                for (const Finding& finding : group) {
                    if (!usableSize(finding.fit.cs))
                        throw Error("getpproc3: specimen " + std::to_string(finding.specimen + 1) + " " +
                                    sizeProblem(finding.fit.cs));
                    checkRotation(*finding.fit.badRotation, console);
                }
            }
            std::fill(reference.begin(), reference.end(), 0.0);
            for (std::size_t g = 0; g < groups; ++g)
                for (std::size_t i = 0; i < block; ++i)
                    reference[i] += partial[g * block + i];
            for (std::size_t i = 0; i < block; ++i)
                reference[i] /= static_cast<double>(count);
            normalise(reference, p, "the mean shape of pass " + std::to_string(pass));
        }
    }

    out.mean = Matrix(p, 3);
    std::copy(reference.begin(), reference.end(), out.mean.data());
    return out;
}

}  // namespace vezedo::shape
