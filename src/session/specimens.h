#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "platform/matrix.h"

namespace vezedo::session {

// What a specimen carries besides its coordinates; filled by the readers that know it.
struct SpecimenFlags {
    std::vector<std::size_t> estimated;  // landmarks (from 1) estimated, not measured
    bool operator==(const SpecimenFlags&) const = default;
};

// The loaded specimens after superimposition: one value, replaced whole by every load.
// `fitted`, `sizes`, `ids` and `flags` hold one entry per specimen in file order (ids and
// flags may be empty when the reader had nothing to say); `mean` and `reference` are p x 3.
struct Specimens {
    platform::LandmarkSet fitted;      // p x 3 x k after the fit
    std::vector<double> sizes;         // centroid size of each specimen
    platform::Matrix mean;             // the mean shape of the fit
    platform::Matrix reference;        // the shape every later action draws and measures on
    std::vector<std::string> ids;      // per specimen, when known
    std::vector<SpecimenFlags> flags;  // per specimen, when known

    bool empty() const { return fitted.empty(); }
    std::size_t count() const { return fitted.specimens(); }
    // Landmarks of the reference shape (0 before any load).
    std::size_t landmarks() const { return reference.rows(); }

    // The 0-based row of a landmark number of the reference shape. Throws an Error naming
    // the number and the range when the shape has no such landmark.
    std::size_t landmarkRow(double landmark) const;

    bool operator==(const Specimens&) const = default;
};

}  // namespace vezedo::session
