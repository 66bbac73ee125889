#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "session/session.h"

// The "Recent" list of the File menu: the projects and data files opened last, each with the
// action that opens it again. The front end keeps the list in its settings and shows it; the
// rules live here.
namespace vezedo::controller {

struct RecentFile {
    std::string action;              // OpenProject, LoadFile1, LoadFileIMP or LoadLandmarks
    std::vector<std::string> paths;  // absolute; several for a load of several landmark files
    bool operator==(const RecentFile&) const = default;
};

inline constexpr std::size_t kMaxRecentFiles = 8;

// `file` first, then the others in their order without an entry equal to it, at most kMaxRecentFiles.
std::vector<RecentFile> addRecentFile(std::vector<RecentFile> list, RecentFile file);

// How settings keep an entry: the action, then each path, separated by line breaks. nullopt
// for a text that names no such action or no path.
std::string recentFileText(const RecentFile& file);
std::optional<RecentFile> parseRecentFile(std::string_view text);

// The menu entry's label: the file's name ("skulls.tps"), "a.mrk.json and 29 more", with
// "(project)" after a project.
std::string recentFileLabel(const RecentFile& file);

// What a session has opened, so that the front end can tell after an action whether it opened
// something new: a project opened or saved, or specimens loaded.
struct OpenedMark {
    std::optional<std::string> project;
    session::Revisions::ProjectMark savedProject;
    std::uint64_t specimenLoads = 0;
    bool operator==(const OpenedMark&) const = default;
};
OpenedMark openedMark(const session::Session& s);
// The entry for what the session opened since `before`: the project when it was opened or
// saved, else the files of a load of specimens; nullopt when neither happened.
std::optional<RecentFile> recentlyOpened(const OpenedMark& before, const session::Session& s);

}  // namespace vezedo::controller
