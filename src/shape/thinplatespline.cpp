#include "shape/thinplatespline.h"

#include <cmath>

#include <Eigen/Dense>

#include "platform/error.h"

namespace vezedo::shape {

namespace {

double distance(const Point& a, const Point& b)
{
    return std::sqrt((a[0] - b[0]) * (a[0] - b[0]) + (a[1] - b[1]) * (a[1] - b[1]) + (a[2] - b[2]) * (a[2] - b[2]));
}

}  // namespace

double flatness(const std::vector<Point>& points)
{
    if (points.size() < 3)
        return 0.0;
    Eigen::MatrixX3d centred(static_cast<Eigen::Index>(points.size()), 3);
    for (std::size_t i = 0; i < points.size(); ++i)
        for (int c = 0; c < 3; ++c)
            centred(static_cast<Eigen::Index>(i), c) = points[i][static_cast<std::size_t>(c)];
    centred.rowwise() -= centred.colwise().mean();
    // The n x 3 matrix and the R of its QR decomposition have the same singular values; the
    // 3 x 3 SVD is much cheaper to compile than the n x 3 one, and the QR is backward stable,
    // unlike the cross-product matrix, whose eigenvalues would square away thin spreads.
    const Eigen::HouseholderQR<Eigen::MatrixX3d> qr(centred);
    const Eigen::Matrix3d r = qr.matrixQR().topRows<3>().triangularView<Eigen::Upper>();
    const Eigen::Vector3d spread = Eigen::JacobiSVD<Eigen::Matrix3d>(r).singularValues();
    return spread(0) > 0 ? spread(2) / spread(0) : 0.0;
}

ThinPlateSpline::ThinPlateSpline(const std::vector<Point>& source, const std::vector<Point>& target) : m_source(source)
{
    const std::size_t n = source.size();
    if (n != target.size())
        throw Error("A thin-plate spline needs as many target as source landmarks");
    if (n < 4)
        throw Error("A thin-plate spline needs at least 4 landmarks; " + std::to_string(n) + " are given");

    // Coincident or coplanar sources leave the system singular: check against their size.
    Point mean{};
    for (const Point& p : source)
        for (std::size_t c = 0; c < 3; ++c)
            mean[c] += p[c] / static_cast<double>(n);
    double squares = 0;
    for (const Point& p : source)
        for (std::size_t c = 0; c < 3; ++c)
            squares += (p[c] - mean[c]) * (p[c] - mean[c]);
    const double size = std::sqrt(squares);
    for (std::size_t i = 0; i < n; ++i)
        for (std::size_t j = i + 1; j < n; ++j)
            if (distance(source[i], source[j]) <= kTolerance * size)
                throw Error("landmarks " + std::to_string(i + 1) + " and " + std::to_string(j + 1) +
                            " of the reference coincide");
    if (flatness(source) <= kTolerance)
        throw Error("the reference landmarks lie in one plane");

    const auto m = static_cast<Eigen::Index>(n);
    Eigen::MatrixXd system = Eigen::MatrixXd::Zero(m + 4, m + 4);
    Eigen::MatrixXd rhs = Eigen::MatrixXd::Zero(m + 4, 3);
    for (Eigen::Index i = 0; i < m; ++i) {
        const Point& p = source[static_cast<std::size_t>(i)];
        for (Eigen::Index j = 0; j < m; ++j)
            system(i, j) = distance(p, source[static_cast<std::size_t>(j)]);
        system(i, m) = system(m, i) = 1;
        for (int c = 0; c < 3; ++c) {
            system(i, m + 1 + c) = system(m + 1 + c, i) = p[static_cast<std::size_t>(c)];
            rhs(i, c) = target[static_cast<std::size_t>(i)][static_cast<std::size_t>(c)];
        }
    }
    const Eigen::MatrixXd solution = system.partialPivLu().solve(rhs);
    m_weights.resize(n);
    for (std::size_t i = 0; i < n; ++i)
        for (int c = 0; c < 3; ++c)
            m_weights[i][static_cast<std::size_t>(c)] = solution(static_cast<Eigen::Index>(i), c);
    for (std::size_t k = 0; k < 4; ++k)
        for (int c = 0; c < 3; ++c)
            m_affine[k][static_cast<std::size_t>(c)] = solution(m + static_cast<Eigen::Index>(k), c);
}

Point ThinPlateSpline::operator()(const Point& at) const
{
    Point out{};
    for (std::size_t c = 0; c < 3; ++c)
        out[c] = m_affine[0][c] + m_affine[1][c] * at[0] + m_affine[2][c] * at[1] + m_affine[3][c] * at[2];
    for (std::size_t i = 0; i < m_source.size(); ++i) {
        const double u = distance(at, m_source[i]);
        for (std::size_t c = 0; c < 3; ++c)
            out[c] += m_weights[i][c] * u;
    }
    return out;
}

}  // namespace vezedo::shape
