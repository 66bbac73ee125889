#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace vezedo::controller {

// What a specimen load found, for the report after it.
struct ImportFacts {
    std::string file;
    std::size_t landmarks = 0;
    std::vector<std::string> ids;       // one per specimen
    std::size_t namedInFile = 0;        // IDs the file gave (the others are specimen<k>)
    bool table = false;                 // a specimen table rather than a TPS file
    std::size_t scaled = 0;             // specimens with SCALE=
    double scaleMin = 0, scaleMax = 0;  // their range
    bool scaleApplied = false;
    std::size_t curves = 0, curvePoints = 0;          // skipped
    std::size_t comments = 0;                         // COMMENT= lines
    std::vector<std::vector<std::size_t>> estimated;  // per specimen, the missing landmarks
    std::vector<std::string> badScales;               // SCALE= texts that are no positive number, as written
    std::string format{};                             // the formats read, when the load could read several
    std::size_t files = 1;                            // files read into the data set
    std::vector<std::string> landmarkNames{};         // when every file named its landmarks
    std::vector<std::string> reordered{};             // files whose landmarks came in another order
};

// The report: its first line sums the data set up (the "Data set" text shows it); the
// further lines say only what there is to say, so a clean file gives one line.
std::vector<std::string> importReport(const ImportFacts& facts);

}  // namespace vezedo::controller
