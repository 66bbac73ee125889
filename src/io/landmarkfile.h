#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "io/tps.h"

// Landmark files of every format the program reads, each to what a TPS file gives (table,
// IDs, SCALE), plus the landmark names and the wireframe that some formats carry.
namespace vezedo::io {

enum class LandmarkFormat { Tps, MarkupsJson, MarkupsFcsv, Morphologika, Pts, PickedPoints };

// "Slicer markups JSON", as the import report names the format.
std::string_view formatName(LandmarkFormat format);

// What one file holds. A missing landmark is NaN three times in the table, as in a TPS file.
struct LandmarkFile {
    LandmarkFormat format = LandmarkFormat::Tps;
    TpsData data;                                       // k specimens x 3p, IDs and what else each specimen says
    std::vector<std::string> names;                     // the landmarks' names in column order; empty when none
    std::vector<std::array<std::size_t, 2>> wireframe;  // landmark pairs (from 1), when given
};

// The format of a landmark file, known from its content; the extension decides only where
// the content does not (an `.fcsv` without its `#` header, a broken `.pts`). Anything else is
// read as TPS.
LandmarkFormat detectLandmarkFormat(std::string_view bytes, std::string_view fileName);

// Reads a landmark file of any known format. Throws a FileFormatError naming the file and the
// line or point when it holds no usable 3D landmarks.
LandmarkFile parseLandmarkFile(std::string_view bytes, std::string_view fileName);

LandmarkFile parseMarkupsJson(std::string_view bytes, std::string_view fileName);
LandmarkFile parseMarkupsFcsv(std::string_view bytes, std::string_view fileName);
LandmarkFile parseMorphologika(std::string_view bytes, std::string_view fileName);
LandmarkFile parsePts(std::string_view bytes, std::string_view fileName);
LandmarkFile parsePickedPoints(std::string_view bytes, std::string_view fileName);

// The file's name without its folder and without the format's extension ("skull07" for
// "scans/skull07.mrk.json"): the ID of a file that names no specimen.
std::string specimenIdFromFileName(std::string_view fileName, LandmarkFormat format);

// A file of one specimen: its x, y, z of every landmark in turn (NaN for missing ones) and
// the landmarks' names (kept only when some are not empty); the ID is the file's name.
LandmarkFile singleSpecimenFile(LandmarkFormat format, std::string_view fileName, const std::vector<double>& xyz,
                                std::vector<std::string> names);

// Several files as one data set: specimens in file order, landmarks matched by name when
// every file names them (each reordered to the first file's order), else by position.
struct CombinedLandmarks {
    TpsData data;
    std::vector<std::string> names;                     // empty unless every file names its landmarks
    std::vector<std::array<std::size_t, 2>> wireframe;  // the first file's that has one
    std::vector<std::string> reordered;                 // files whose landmarks came in another order
    std::vector<std::string> formats;                   // the formats read, each once, in file order
};
struct NamedLandmarkFile {
    std::string name;  // the file's name, as messages give it
    LandmarkFile file;
};
// Throws a FileFormatError naming the file and the names (or counts) that do not match.
CombinedLandmarks combineLandmarkFiles(std::vector<NamedLandmarkFile> files);

}  // namespace vezedo::io
