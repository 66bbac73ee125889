#pragma once

#include <cstddef>
#include <optional>
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
    enum class Source { Tps, Table };

    platform::LandmarkSet fitted;  // p x 3 x k after the fit
    // k x 3p as read, for writing the landmarks out again: x, y, z of landmark 1, then 2, ...,
    // SCALE applied when it was, NaN three times for a landmark the file gave as missing.
    platform::Matrix read;
    // Per specimen, the SCALE= text of its file when that was not applied; empty otherwise.
    std::vector<std::string> unappliedScales;
    std::vector<double> sizes;         // centroid size of each specimen
    platform::Matrix mean;             // the mean shape of the fit
    platform::Matrix reference;        // the shape every later action draws and measures on
    std::vector<std::string> ids;      // per specimen, when known
    std::vector<SpecimenFlags> flags;  // per specimen, when known
    std::vector<std::string> groups;   // per specimen, once a groups file is loaded
    Source source = Source::Tps;
    std::string file;                        // the file's name, without folder
    std::vector<std::string> landmarkNames;  // one per landmark when the files named them, else empty

    // The ID of specimen j (from 0): its own, else "specimen<j + 1>".
    std::string id(std::size_t j) const { return j < ids.size() ? ids[j] : "specimen" + std::to_string(j + 1); }

    bool empty() const { return fitted.empty(); }
    std::size_t count() const { return fitted.specimens(); }
    // Landmarks of the reference shape (0 before any load).
    std::size_t landmarks() const { return reference.rows(); }

    // The 0-based row of a landmark number of the reference shape. Throws an Error naming
    // the number and the range when the shape has no such landmark.
    std::size_t landmarkRow(double landmark) const;

    bool operator==(const Specimens&) const = default;
};

// The last specimen check: per specimen in file order, its Procrustes distance to the mean,
// whether it stands out, whether it fits clearly better mirrored, and the exchange of two
// landmarks (from 1) that would explain it.
struct SpecimenCheck {
    struct Swap {
        std::size_t first = 0, second = 0;
        bool operator==(const Swap&) const = default;
    };
    std::vector<double> distance;
    std::vector<bool> outlier;
    std::vector<std::optional<Swap>> swap;
    std::vector<bool> mirrored;
    std::vector<double> gain;  // of the suggested exchange; NaN without one
    double threshold = 0;      // Q3 + 1.5 IQR of the distances (of the whole sample)
    int passes = 0;            // of the check's own fit
    bool converged = false;
    std::vector<std::string> pooledGroups;  // groups too small, judged with the whole sample
    bool empty() const { return distance.empty(); }
    bool operator==(const SpecimenCheck&) const = default;
};

}  // namespace vezedo::session
