#include <filesystem>

#include "gui/gui.h"
#include "platform/error.h"

namespace vezedo::gui {

namespace fs = std::filesystem;

std::string singletonKey(std::string_view layoutName)
{
    constexpr std::size_t kMaxKeyLength = 31;
    std::string key = std::string(layoutName) + "_SINGLETON_handle";
    if (key.size() > kMaxKeyLength)
        key.resize(kMaxKeyLength);
    return key;
}

namespace {

// A name without a folder is looked for in the current folder, then in the layout folders.
std::string resolveLayout(const Runtime& rt, const fs::path& file)
{
    if (file.has_parent_path())
        return file.string();
    if (fs::exists(file))
        return file.string();
    for (const std::string& folder : rt.layoutFolders) {
        const fs::path candidate = fs::path(folder) / file;
        if (fs::exists(candidate))
            return candidate.string();
    }
    return file.string();  // the loader reports it missing
}

}  // namespace

Handle openfig(Runtime& rt, const std::string& fileName, const std::string& policy)
{
    fs::path file(fileName);
    std::string extension = file.extension().string();
    if (extension.empty())
        extension = ".fig";
    else if (extension != ".fig")
        throw Error("Argument must be a .fig file");
    const std::string name = file.stem().string();
    file.replace_filename(name + extension);

    const std::string key = singletonKey(name);
    platform::GraphicsModel& g = rt.graphics;
    std::vector<double> open;
    if (const Value* stored = g.appData(platform::kRootHandle, key); stored && stored->isMatrix())
        for (double h : stored->matrix().values())
            if (g.isValid(h))
                open.push_back(h);

    Handle window = platform::kRootHandle;
    if (policy == "new") {
        window = loadLayout(g, resolveLayout(rt, file));
        open.push_back(window);
    } else if (policy == "reuse") {
        if (open.empty())
            open.push_back(loadLayout(g, resolveLayout(rt, file)));
        window = open.back();
    } else {
        throw Error("Second input argument must be 'new' or 'reuse'.");
    }
    g.setAppData(platform::kRootHandle, key, Value(platform::Matrix::rowVector(open)));

    const Value args[] = {Value(window), Value("onscreen")};
    movegui(rt, args);
    if (g.get(window, "visible").string() == "on")
        g.bringToFront(window);
    return window;
}

}  // namespace vezedo::gui
