#include <Eigen/Dense>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "platform/error.h"
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

Superimposition getpproc3(const LandmarkSet& data, ConsoleService& console)
{
    const std::size_t p = data.landmarks();
    const std::size_t count = data.specimens();
    if (p == 0 || count == 0)
        throw Error("getpproc3: the landmark data set is empty (" + std::to_string(p) + " landmarks, " +
                    std::to_string(count) + " specimens)");

    Superimposition out;
    out.fitted = data;
    const std::size_t block = 3 * p;

    // The starting reference: the specimens summed as given, then centred and scaled.
    std::vector<double> reference(block, 0.0);
    for (std::size_t j = 0; j < count; ++j) {
        const auto slice = data.slice(j);
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
            const double cs = centroidSize(data.slice(j).data(), p);
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
        std::vector<double> scratch(block);
        std::vector<double> sum3(block);
        for (int pass = 1; pass <= kPasses; ++pass) {
            std::fill(sum3.begin(), sum3.end(), 0.0);
            for (std::size_t j = 0; j < count; ++j) {
                const double cs =
                    fitInPlace(reference.data(), out.fitted.slice(j).data(), scratch.data(), sum3.data(), p, console);
                if (!usableSize(cs))
                    throw Error("getpproc3: specimen " + std::to_string(j + 1) + " " + sizeProblem(cs));
            }
            for (std::size_t i = 0; i < block; ++i)
                reference[i] = sum3[i] / static_cast<double>(count);
            normalise(reference, p, "the mean shape of pass " + std::to_string(pass));
        }
    }

    out.mean = Matrix(p, 3);
    std::copy(reference.begin(), reference.end(), out.mean.data());
    return out;
}

}  // namespace vezedo::shape
