#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

// Measurement error from repeated measures: the same specimens measured twice (two
// digitisations, or two sessions), compared variable by variable with a one-way analysis of
// variance that takes the specimen as the factor.
//
// Positions are 0-based indices into the inputs. A missing value is std::nullopt; a present
// value must be finite. Bad input throws vezedo::Error.
namespace vezedo::shape {

// The one-way analysis of one variable over n specimens x m = 2 replicates.
struct MeasurementError {
    std::size_t n = 0;         // specimens used (present in both replicates)
    double grandMean = 0.0;    // mean of all n x m values
    double msWithin = 0.0;     // sum (x - specimen mean)^2 / (n (m - 1))
    double msAmong = 0.0;      // m sum (specimen mean - grand mean)^2 / (n - 1)
    double s2Among = 0.0;      // (msAmong - msWithin) / m; may be negative
    double tem = 0.0;          // technical error of measurement: sqrt(msWithin)
    double relativeTem = 0.0;  // 100 tem / grand mean; NaN when the grand mean is 0
    double percentMe = 0.0;    // 100 msWithin / (msWithin + s2Among); 100 when s2Among <= 0
    double icc = 0.0;          // s2Among / (s2Among + msWithin); 0 when s2Among <= 0
    std::size_t zeros = 0;     // values that are exactly 0
    // Empty, or why the figures above mislead: some values are 0, or all of them lie within
    // 0.1 % (SD over mean) of each other.
    std::string note;
};

// `first[k]` and `second[k]` are the two measures of specimen k. A specimen missing a value
// in either is left out; at least 2 specimens must remain. The spans must be equally long.
MeasurementError measurementError(std::span<const std::optional<double>> first,
                                  std::span<const std::optional<double>> second);

// ---- Pairing the specimens of two data sets ---------------------------------------------

enum class Matching {
    ById,     // every ID is unique within each data set: specimens pair by equal ID
    ByOrder,  // some ID repeats: the k-th specimen of one pairs with the k-th of the other
};

struct SpecimenMatch {
    Matching by = Matching::ById;
    // (position in first, position in second), in the order of the first data set.
    std::vector<std::pair<std::size_t, std::size_t>> pairs;
    // IDs left out, found in one data set only, each in its data set's order (by order none:
    // data sets of different sizes are refused).
    std::vector<std::string> onlyInFirst;
    std::vector<std::string> onlyInSecond;
};
// Throws an Error naming the repeated IDs when some ID repeats and the counts differ.
SpecimenMatch matchSpecimens(std::span<const std::string> first, std::span<const std::string> second);

// ---- Whole data sets ----------------------------------------------------------------------

// One replicate of a data set: specimen IDs and one column per variable, each column holding
// one value per ID, in the order of the IDs.
struct ReplicateTable {
    std::vector<std::string> ids;
    std::vector<std::vector<std::optional<double>>> variables;
};

struct ReplicateComparison {
    SpecimenMatch match;
    std::vector<MeasurementError> variables;  // one per variable, in order
};

// Pairs the specimens with matchSpecimens, then analyses every variable on the pairs.
// Both tables must hold the same number of variables; a variable with fewer than 2 usable
// specimens throws an Error that names it (1-based).
ReplicateComparison compareReplicates(const ReplicateTable& first, const ReplicateTable& second);

}  // namespace vezedo::shape
