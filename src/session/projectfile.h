#pragma once

#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "session/blockstructure.h"
#include "session/protocol.h"
#include "session/session.h"

// The project file: a JSON text naming the data files of a piece of work (each with its
// SHA-256) and holding what was built on them (protocol, blocks, the main window's boxes, the
// view), so that opening it reads the same files again and gives the same session.
namespace vezedo::session {

inline constexpr std::string_view kProjectFormat = "vezedo6-project";
inline constexpr int kProjectVersion = 1;

// A data file as the project names it.
struct ProjectDataFile {
    std::string path;    // relative to the project's folder ('/' between folders), or absolute
    std::string sha256;  // 64 lower-case hexadecimal digits
    std::string format;  // what the reader found: "TPS", "specimen table", "Slicer markups JSON", ...
    bool applyScale = false;
    bool operator==(const ProjectDataFile&) const = default;
};

// The files one load read, in order, and the reader that read them: "tps", "table" or "landmarks".
struct ProjectFileSet {
    std::string reader;
    std::vector<ProjectDataFile> files;
    bool operator==(const ProjectFileSet&) const = default;
};

struct ProjectView {
    double azimuth = 0, elevation = 0;
    bool operator==(const ProjectView&) const = default;
};

struct Project {
    std::optional<ProjectFileSet> specimens;
    std::optional<ProjectFileSet> replicate;
    std::optional<ProjectDataFile> groups;
    Protocol protocol;
    std::string protocolName;
    std::string protocolForm = "plain";  // "plain" or "csv": how "Save protocol" writes it
    std::optional<std::size_t> blockCount;
    std::vector<BlockStructure::Lines> blocks;
    std::map<std::string, std::string> texts;  // control tag -> its text
    std::map<std::string, double> values;      // two-state control tag -> 0 or 1
    std::optional<ProjectView> view;
    std::vector<Correction> corrections;  // in force, in the order they were made
    bool operator==(const Project&) const = default;
};

// The project as JSON text, keys in a fixed order, ending with a line break. Throws an Error
// when a text in it is not UTF-8.
std::string projectText(const Project& project);

// The tags of the boxes (texts) and tick boxes (values) a project keeps.
struct ProjectControls {
    std::set<std::string> texts, values;
};

// Reads a project's text. Throws a FileFormatError naming `file` and the field (as
// "specimens.files[2].sha256") when the text is no JSON, another format or version, or a field
// is missing, of the wrong type or out of range. Keys it does not know are refused, naming
// them, as are controls not in `known`. The corrections are checked for form here (a known
// kind, two different landmarks for an exchange); whether they fit the data set is the
// opener's to check.
Project parseProject(std::string_view text, const std::string& file, const ProjectControls& known);

}  // namespace vezedo::session
