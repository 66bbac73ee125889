#pragma once

#include <QString>
#include <algorithm>
#include <cmath>

namespace vezedo::qt {

// How the specimen check writes a Procrustes distance, in its table, summary and chart alike.
inline QString distanceText(double d, int decimals)
{
    return std::isnan(d) ? QStringLiteral("NA") : QString::number(d, 'f', decimals);
}

// Decimals that give a distance near `typical` four significant digits; all rows use the same
// so that their points line up.
inline int decimalsFor(double typical)
{
    if (!std::isfinite(typical) || typical <= 0)
        return 4;
    return std::clamp(3 - static_cast<int>(std::floor(std::log10(typical))), 0, 10);
}

}  // namespace vezedo::qt
