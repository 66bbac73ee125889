#include "shape/measurementerror.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

#include "platform/error.h"

namespace vezedo::shape {

namespace {

constexpr double kReplicates = 2.0;
constexpr double kNearlyConstant = 1e-3;  // SD of all values over their mean

// Each ID's position, or nothing when some ID repeats.
std::optional<std::unordered_map<std::string_view, std::size_t>> uniquePositions(std::span<const std::string> ids)
{
    std::unordered_map<std::string_view, std::size_t> at;
    at.reserve(ids.size());
    for (std::size_t i = 0; i < ids.size(); ++i)
        if (!at.emplace(ids[i], i).second)
            return std::nullopt;
    return at;
}

// The analysis over the pairs of values already known to be present and finite.
MeasurementError analyse(const std::vector<std::pair<double, double>>& values)
{
    MeasurementError r;
    r.n = values.size();
    const double n = static_cast<double>(r.n);
    double total = 0.0;
    for (const auto& [a, b] : values)
        total += a + b;
    r.grandMean = total / (n * kReplicates);
    double within = 0.0;
    double among = 0.0;
    for (const auto& [a, b] : values) {
        const double specimenMean = (a + b) / kReplicates;
        within += (a - specimenMean) * (a - specimenMean) + (b - specimenMean) * (b - specimenMean);
        among += (specimenMean - r.grandMean) * (specimenMean - r.grandMean);
    }
    r.msWithin = within / (n * (kReplicates - 1.0));
    r.msAmong = kReplicates * among / (n - 1.0);
    r.s2Among = (r.msAmong - r.msWithin) / kReplicates;
    r.tem = std::sqrt(r.msWithin);
    r.relativeTem = r.grandMean != 0.0 ? 100.0 * r.tem / r.grandMean : std::numeric_limits<double>::quiet_NaN();
    // Figures over values that are 0, or barely vary, look sound but say little.
    double squares = 0.0;
    for (const auto& [a, b] : values) {
        r.zeros += (a == 0.0 ? 1u : 0u) + (b == 0.0 ? 1u : 0u);
        squares += (a - r.grandMean) * (a - r.grandMean) + (b - r.grandMean) * (b - r.grandMean);
    }
    const double sd = std::sqrt(squares / (n * kReplicates - 1.0));
    if (r.zeros > 0)
        r.note = "length 0 in " + std::to_string(r.zeros) + " of " + std::to_string(2 * r.n) + " measures";
    else if (!(sd > kNearlyConstant * std::abs(r.grandMean)))
        r.note = "nearly constant (CV below 0.1 %): the error figures say little";
    if (r.s2Among <= 0.0) {
        r.percentMe = 100.0;
        r.icc = 0.0;
    } else {
        r.percentMe = 100.0 * r.msWithin / (r.msWithin + r.s2Among);
        r.icc = r.s2Among / (r.s2Among + r.msWithin);
    }
    return r;
}

void requireFinite(const std::optional<double>& v, const char* replicate, std::size_t position)
{
    if (v && !std::isfinite(*v))
        throw Error(std::string("measurement error: the ") + replicate + " value of specimen " +
                    std::to_string(position + 1) + " is not a finite number");
}

}  // namespace

MeasurementError measurementError(std::span<const std::optional<double>> first,
                                  std::span<const std::optional<double>> second)
{
    if (first.size() != second.size())
        throw Error("measurement error: the first replicate has " + std::to_string(first.size()) +
                    " values but the second has " + std::to_string(second.size()));
    std::vector<std::pair<double, double>> values;
    values.reserve(first.size());
    for (std::size_t k = 0; k < first.size(); ++k) {
        requireFinite(first[k], "first", k);
        requireFinite(second[k], "second", k);
        if (first[k] && second[k])
            values.emplace_back(*first[k], *second[k]);
    }
    if (values.size() < 2)
        throw Error("measurement error: at least 2 specimens measured in both replicates are needed; found " +
                    std::to_string(values.size()));
    return analyse(values);
}

SpecimenMatch matchSpecimens(std::span<const std::string> first, std::span<const std::string> second)
{
    SpecimenMatch m;
    const auto inFirst = uniquePositions(first);
    const auto inSecond = uniquePositions(second);
    if (inFirst && inSecond) {
        m.by = Matching::ById;
        for (std::size_t i = 0; i < first.size(); ++i) {
            const auto found = inSecond->find(first[i]);
            if (found == inSecond->end())
                m.onlyInFirst.push_back(first[i]);
            else
                m.pairs.emplace_back(i, found->second);
        }
        for (const std::string& id : second)
            if (!inFirst->contains(id))
                m.onlyInSecond.push_back(id);
        return m;
    }
    // By order only when every specimen has its counterpart: with one missing, every pair
    // after it would join two different specimens.
    if (first.size() != second.size()) {
        const auto repeats = [](std::span<const std::string> ids) {
            std::map<std::string, std::size_t> count;
            for (const std::string& id : ids)
                ++count[id];
            std::string out;
            for (const auto& [id, n] : count)
                if (n > 1)
                    out += (out.empty() ? "" : ", ") + id;
            return out.empty() ? std::string("none") : out;
        };
        throw Error("the specimens cannot be paired: IDs repeat (in the first data set: " + repeats(first) +
                    "; in the second: " + repeats(second) +
                    "), so they cannot be paired by ID, and the data sets hold " + std::to_string(first.size()) +
                    " and " + std::to_string(second.size()) + " specimens, so they cannot be paired by order");
    }
    m.by = Matching::ByOrder;
    for (std::size_t i = 0; i < first.size(); ++i)
        m.pairs.emplace_back(i, i);
    return m;
}

ReplicateComparison compareReplicates(const ReplicateTable& first, const ReplicateTable& second)
{
    if (first.variables.size() != second.variables.size())
        throw Error("measurement error: the first data set has " + std::to_string(first.variables.size()) +
                    " variables but the second has " + std::to_string(second.variables.size()));
    for (const ReplicateTable* table : {&first, &second})
        for (std::size_t v = 0; v < table->variables.size(); ++v)
            if (table->variables[v].size() != table->ids.size())
                throw Error(std::string("measurement error: in the ") + (table == &first ? "first" : "second") +
                            " data set variable " + std::to_string(v + 1) + " has " +
                            std::to_string(table->variables[v].size()) + " values for " +
                            std::to_string(table->ids.size()) + " specimens");

    for (const ReplicateTable* table : {&first, &second})
        for (std::size_t v = 0; v < table->variables.size(); ++v)
            for (std::size_t k = 0; k < table->ids.size(); ++k)
                if (const auto& x = table->variables[v][k]; x && !std::isfinite(*x))
                    throw Error(std::string("measurement error: in the ") + (table == &first ? "first" : "second") +
                                " data set the value of variable " + std::to_string(v + 1) + " for specimen " +
                                table->ids[k] + " is not a finite number");

    ReplicateComparison out;
    out.match = matchSpecimens(first.ids, second.ids);
    const std::size_t n = out.match.pairs.size();
    std::vector<std::optional<double>> a(n);
    std::vector<std::optional<double>> b(n);
    for (std::size_t v = 0; v < first.variables.size(); ++v) {
        for (std::size_t k = 0; k < n; ++k) {
            a[k] = first.variables[v][out.match.pairs[k].first];
            b[k] = second.variables[v][out.match.pairs[k].second];
        }
        try {
            out.variables.push_back(measurementError(a, b));
        } catch (const Error& e) {
            throw Error("variable " + std::to_string(v + 1) + ": " + e.what());
        }
    }
    return out;
}

}  // namespace vezedo::shape
