#pragma once

#include <string>
#include <string_view>

#include "session/session.h"

namespace vezedo::controller {

// The main window's title: `base` alone without a project; with one, its name after it and a
// `*` while the project has changes not saved.
std::string projectTitle(std::string_view base, const session::Session& s);

}  // namespace vezedo::controller
