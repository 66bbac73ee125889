#pragma once

#include <cstdint>
#include <optional>
#include <string>

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
    std::uint64_t last = 0;       // the last number handed out

    std::uint64_t next() { return ++last; }
    bool protocolChanged() const { return protocol != savedProtocol; }
    bool blocksChanged() const { return blocks != savedBlocks; }
    bool operator==(const Revisions&) const = default;
};

// How the protocol was last written, so that saving it again keeps its form (a CSV keeps the
// line names that the plain form cannot hold).
enum class ProtocolForm { Plain, Csv };

// Everything the actions keep between calls, for the life of the process.
struct Session {
    Specimens specimens;
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

    bool operator==(const Session&) const = default;
};

}  // namespace vezedo::session
