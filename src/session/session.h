#pragma once

#include <optional>
#include <string>

#include "platform/graphics.h"
#include "session/blockstructure.h"
#include "session/landmarkdata.h"
#include "session/protocol.h"

namespace vezedo::session {

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

    bool operator==(const Session&) const = default;
};

}  // namespace vezedo::session
