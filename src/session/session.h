#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/graphics.h"
#include "session/blockstructure.h"
#include "session/landmarkdata.h"
#include "session/protocol.h"

namespace vezedo::session {

// Edit numbers of what can be saved. Every change takes a fresh number and Undo brings the
// old one back with the old value; a save that wrote its file, or a load that read one, marks
// the number as saved. So "changed since saved" is a comparison, never a guess.
struct Revisions {
    std::uint64_t protocol = 0, blocks = 0;
    std::uint64_t savedProtocol = 0, savedBlocks = 0;
    std::uint64_t specimens = 0;  // loads of specimens
    std::uint64_t replicate = 0;  // loads of a replicate
    std::uint64_t corrections = 0, savedCorrections = 0;
    std::uint64_t groups = 0;  // loads of groups
    std::uint64_t last = 0;    // the last number handed out

    // What a project holds, as the numbers above: compared with the numbers at the project's
    // last save or open.
    struct ProjectMark {
        std::uint64_t protocol = 0, blocks = 0, specimens = 0, replicate = 0, groups = 0, corrections = 0;
        bool operator==(const ProjectMark&) const = default;
    };
    ProjectMark savedProject;

    std::uint64_t next() { return ++last; }
    bool protocolChanged() const { return protocol != savedProtocol; }
    bool blocksChanged() const { return blocks != savedBlocks; }
    bool correctionsChanged() const { return corrections != savedCorrections; }
    ProjectMark projectMark() const { return {protocol, blocks, specimens, replicate, groups, corrections}; }
    bool projectChanged() const { return projectMark() != savedProject; }
    bool operator==(const Revisions&) const = default;
};

// How the protocol was last written, so that saving it again keeps its form (a CSV keeps the
// line names that the plain form cannot hold).
enum class ProtocolForm { Plain, Csv };

// One correction of a loaded specimen, made in place: the file stays as it was read.
struct Correction {
    enum class Kind {
        Exchange,  // landmarks i and j exchanged
        Mirror,    // x -> -x of every landmark
        Exclude,   // left out of the fit, the checks and the measures
    };
    std::size_t specimen = 0;  // from 1, in the order of the loaded data set
    std::string id;            // its ID as loaded
    Kind kind = Kind::Exchange;
    std::size_t i = 0, j = 0;  // the landmarks (from 1) of an exchange; 0 otherwise
    bool operator==(const Correction&) const = default;
};

// The files a load read, so that a project can name them and read them again through the same
// reader with the same settings.
struct SourceFiles {
    enum class Reader { Tps, Table, Landmarks };  // "Load TPS file...", "...table...", "Load landmarks..."
    Reader reader = Reader::Tps;
    std::vector<std::string> paths;  // absolute, in the order they were read
    bool applyScale = false;         // "Apply SCALE" at the load
    bool operator==(const SourceFiles&) const = default;
};
struct Sources {
    std::optional<SourceFiles> specimens;  // of the loaded data set
    std::optional<SourceFiles> replicate;
    std::optional<std::string> groups;  // absolute path of the groups file
    bool operator==(const Sources&) const = default;
};

// Everything the actions keep between calls, for the life of the process.
struct Session {
    // The specimens every action fits, draws, checks and measures: as loaded, with the
    // corrections applied in order.
    Specimens specimens;
    std::vector<Correction> corrections;
    std::optional<Specimens> uncorrected;  // the specimens as loaded, while there are corrections
    Protocol protocol;
    Protocol wireframe;     // drawn by the redraws; a copy of the protocol after loads
    std::string protoname;  // file name of the protocol or wireframe last loaded
    BlockStructure blocks;
    SpecimenCheck check;                       // of `specimens`, once checked
    std::optional<Specimens> replicate;        // the same specimens digitised again
    std::optional<platform::Handle> fighand1;  // the plot window
    std::optional<platform::Handle> mf;        // made current again when a drawing action ends
    std::optional<platform::Handle> lineh;     // the highlighted line, if any
    Revisions revisions;
    ProtocolForm protocolForm = ProtocolForm::Plain;  // of the last protocol file written
    Sources sources;
    std::optional<std::string> project;  // absolute path of the project last saved or opened

    bool operator==(const Session&) const = default;
};

}  // namespace vezedo::session
