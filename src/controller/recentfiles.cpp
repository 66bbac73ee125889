#include "controller/recentfiles.h"

#include <algorithm>
#include <filesystem>

#include "controller/actiontable.h"

namespace vezedo::controller {

namespace {

bool reopens(std::string_view action)
{
    return action == action::openProject || action == action::loadSpecimens || action == action::loadTable ||
           action == action::loadLandmarks;
}

std::string_view actionOf(session::SourceFiles::Reader reader)
{
    switch (reader) {
    case session::SourceFiles::Reader::Tps:
        return action::loadSpecimens;
    case session::SourceFiles::Reader::Table:
        return action::loadTable;
    case session::SourceFiles::Reader::Landmarks:
        break;
    }
    return action::loadLandmarks;
}

}  // namespace

std::vector<RecentFile> addRecentFile(std::vector<RecentFile> list, RecentFile file)
{
    std::erase(list, file);
    list.insert(list.begin(), std::move(file));
    if (list.size() > kMaxRecentFiles)
        list.resize(kMaxRecentFiles);
    return list;
}

std::string recentFileText(const RecentFile& file)
{
    std::string text = file.action;
    for (const std::string& path : file.paths) {
        text += '\n';
        text += path;
    }
    return text;
}

std::optional<RecentFile> parseRecentFile(std::string_view text)
{
    RecentFile file;
    std::size_t start = 0;
    bool first = true;
    while (start <= text.size()) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        const std::string part(text.substr(start, end - start));
        if (first)
            file.action = part;
        else if (!part.empty())
            file.paths.push_back(part);
        first = false;
        start = end + 1;
    }
    if (!reopens(file.action) || file.paths.empty())
        return std::nullopt;
    if (file.action != action::loadLandmarks && file.paths.size() != 1)
        return std::nullopt;
    return file;
}

std::string recentFileLabel(const RecentFile& file)
{
    std::string label = std::filesystem::path(file.paths.front()).filename().string();
    if (file.paths.size() > 1) {
        label += " and ";
        label += std::to_string(file.paths.size() - 1);
        label += " more";
    }
    if (file.action == action::openProject)
        label += " (project)";
    return label;
}

OpenedMark openedMark(const session::Session& s)
{
    return {s.project, s.revisions.savedProject, s.revisions.specimens};
}

std::optional<RecentFile> recentlyOpened(const OpenedMark& before, const session::Session& s)
{
    const OpenedMark now = openedMark(s);
    if (now.project && (now.project != before.project || now.savedProject != before.savedProject))
        return RecentFile{std::string(action::openProject), {*now.project}};
    if (now.specimenLoads != before.specimenLoads && s.sources.specimens)
        return RecentFile{std::string(actionOf(s.sources.specimens->reader)), s.sources.specimens->paths};
    return std::nullopt;
}

}  // namespace vezedo::controller
