#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "platform/matrix.h"

namespace vezedo::shape {

// Missing landmarks (NaN in all three coordinates) of the specimens of `raw`, estimated by
// a thin-plate spline from the mean shape of the complete specimens onto each specimen's
// present landmarks (the approach of Gunz et al. 2009). Returns the completed set and, per
// specimen, the landmarks (from 1) that were estimated. A set without missing landmarks
// comes back as it was. Throws an Error naming the specimen by `names[j]` when no specimen
// is complete, or a specimen has fewer than 4 present landmarks, or their counterparts in
// the mean shape are coplanar or coincide, or its present landmarks lie nearly in one plane
// (in the specimen or in the mean): their smallest spread (singular value of the centred
// coordinates) below kMinimumFlatness of their largest, where the estimate off that plane
// would follow the noise.
inline constexpr double kMinimumFlatness = 0.03;
struct Completed {
    platform::LandmarkSet data;
    std::vector<std::vector<std::size_t>> estimated;
};
// `progress`, when given, hears the share of the specimens gone through (0 to 1) every few
// hundred specimens; it may stop the estimate by throwing.
Completed estimateMissingLandmarks(platform::LandmarkSet raw, const std::vector<std::string>& names,
                                   const std::function<void(double)>& progress = {});

}  // namespace vezedo::shape
