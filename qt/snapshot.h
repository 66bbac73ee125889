#pragma once

#include <string>

#include "platform/graphics.h"

namespace vezedo::qt {

// A replay's `snapshot`: the axes drawn into an 800 x 600 PNG, the same picture with or
// without a display. Throws an Error when the file cannot be written.
void writeSnapshot(const platform::GraphicsModel& model, platform::Handle axes, const std::string& path);

}  // namespace vezedo::qt
