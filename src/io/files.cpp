#include "io/files.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/error.h"

namespace vezedo::io {

namespace {

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

std::string failure(const std::string& doing, const std::string& path, int error)
{
    return "Cannot " + doing + " file \"" + path + "\": " + std::strerror(error);
}

[[noreturn]] void fail(const std::string& doing, const std::string& path, int error)
{
    throw Error(failure(doing, path, error));
}

[[noreturn]] void failReading(const std::string& doing, const std::string& path, int error)
{
    throw UnreadableFile(failure(doing, path, error));
}

// A name in the target's folder that no other writer uses: hidden, derived from the
// target, the process and a counter.
std::string temporaryNameFor(const std::string& path)
{
    static std::atomic<unsigned> counter{0};
    const std::filesystem::path target(path);
    const std::string name =
        "." + target.filename().string() + ".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
    return (target.parent_path() / name).string();
}

}  // namespace

std::string readFile(const std::string& path)
{
    errno = 0;
    FilePtr file(std::fopen(path.c_str(), "rb"));
    if (!file)
        failReading("open", path, errno);

    // The size is only a hint (pipes, growing files): read until the end, one byte more
    // than expected so that the end is seen without growing the buffer.
    struct stat info {};
    std::size_t capacity = std::size_t{1} << 16;
    if (::fstat(::fileno(file.get()), &info) == 0 && S_ISREG(info.st_mode) && info.st_size >= 0)
        capacity = static_cast<std::size_t>(info.st_size) + 1;

    std::string content(capacity, '\0');
    std::size_t size = 0;
    for (;;) {
        size += std::fread(content.data() + size, 1, content.size() - size, file.get());
        if (size < content.size()) {
            if (std::ferror(file.get()))
                failReading("read", path, errno != 0 ? errno : EIO);
            break;
        }
        content.resize(content.size() * 2);
    }
    content.resize(size);
    return content;
}

void writeFileAtomically(const std::string& path, std::string_view content)
{
    const std::string temp = temporaryNameFor(path);
    auto abandon = [&temp](int error, const std::string& doing, const std::string& target) {
        std::remove(temp.c_str());
        fail(doing, target, error);
    };

    errno = 0;
    std::FILE* raw = std::fopen(temp.c_str(), "wbx");
    if (!raw)
        fail("write", path, errno);  // nothing was created
    FilePtr file(raw);
    if (!content.empty() && std::fwrite(content.data(), 1, content.size(), file.get()) != content.size())
        abandon(errno != 0 ? errno : EIO, "write", path);
    if (std::fclose(file.release()) != 0)
        abandon(errno != 0 ? errno : EIO, "write", path);

    // A replaced file keeps its permissions.
    std::error_code ec;
    const auto status = std::filesystem::status(path, ec);
    if (!ec && std::filesystem::is_regular_file(status))
        std::filesystem::permissions(temp, status.permissions(), ec);

    if (std::rename(temp.c_str(), path.c_str()) != 0)
        abandon(errno, "write", path);
}

void changeDirectory(const std::string& folder)
{
    std::error_code ec;
    std::filesystem::current_path(folder, ec);
    if (ec)
        throw Error("Cannot make the folder \"" + folder + "\" the current folder: " + ec.message());
}

std::string joinPath(const std::string& folder, const std::string& name)
{
    if (folder.empty())
        return name;
    const char last = folder.back();
    if (last == '/' || last == std::filesystem::path::preferred_separator)
        return folder + name;
    return folder + '/' + name;
}

}  // namespace vezedo::io
