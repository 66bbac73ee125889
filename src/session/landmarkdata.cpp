#include "session/landmarkdata.h"

#include <cmath>

#include "platform/error.h"
#include "platform/numtext.h"

namespace vezedo::session {

std::size_t Specimens::landmarkRow(double landmark) const
{
    const std::size_t p = landmarks();
    if (std::floor(landmark) != landmark || landmark < 1 || landmark > static_cast<double>(p)) {
        if (p == 0)
            throw Error("Landmark " + platform::numberToText(landmark) + " does not exist: no shape is loaded");
        throw Error("Landmark " + platform::numberToText(landmark) + " does not exist: the shape has " +
                    std::to_string(p) + " landmarks (1 to " + std::to_string(p) + ")");
    }
    return static_cast<std::size_t>(landmark) - 1;
}

}  // namespace vezedo::session
