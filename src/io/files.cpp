#include "io/files.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <memory>
#include <new>
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

// A short name in the target's folder that no other writer uses: hidden, from the process
// and a counter, so that it stays within the name length limit whatever the target's name.
std::string temporaryNameFor(const std::filesystem::path& target)
{
    static std::atomic<unsigned> counter{0};
    const std::string name = ".vz" + std::to_string(::getpid()) + "-" + std::to_string(counter++) + ".tmp";
    return (target.parent_path() / name).string();
}

// The file a write to `path` must replace: a symbolic link is followed to its target (which
// may not exist yet), so the link stays a link.
std::filesystem::path writeTarget(const std::string& path)
{
    namespace fs = std::filesystem;
    fs::path target(path);
    for (int hops = 0; hops < 40; ++hops) {
        std::error_code ec;
        if (!fs::is_symlink(fs::symlink_status(target, ec)))
            return target;
        const fs::path next = fs::read_symlink(target, ec);
        if (ec)
            return target;
        target = next.is_absolute() ? next : target.parent_path() / next;
    }
    fail("write", path, ELOOP);
}

}  // namespace

std::string kindOfFile(unsigned mode)
{
    if (S_ISDIR(mode))
        return "a folder";
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return "a device";
    if (S_ISFIFO(mode))
        return "a named pipe";
    if (S_ISSOCK(mode))
        return "a socket";
    return "an unknown kind of file";
}

namespace {

[[noreturn]] void failOpening(const std::string& path, int error)
{
    if (error == ENOENT || error == ENOTDIR)
        throw UnreadableFile("Cannot open file \"" + path + "\": it does not exist");
    if (error == EACCES || error == EPERM)
        throw UnreadableFile("Cannot open file \"" + path + "\": permission denied");
    failReading("open", path, error);
}

[[noreturn]] void refuseKind(const std::string& path, unsigned mode)
{
    throw UnreadableFile("Cannot open file \"" + path + "\": it is " + kindOfFile(mode));
}

std::string sizeText(std::uint64_t bytes)
{
    if (bytes >= (std::uint64_t{1} << 30) && bytes % (std::uint64_t{1} << 30) == 0)
        return std::to_string(bytes >> 30) + " GiB";
    if (bytes >= (std::uint64_t{1} << 20) && bytes % (std::uint64_t{1} << 20) == 0)
        return std::to_string(bytes >> 20) + " MiB";
    return std::to_string(bytes) + " bytes";
}

}  // namespace

TextFileReader::TextFileReader(const std::string& path, std::uint64_t maxBytes) : m_path(path)
{
    // Only regular files: a named pipe would wait for a writer for ever and a device may
    // never end. The file is read by its size.
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        failOpening(path, errno);
    if (!S_ISREG(info.st_mode))
        refuseKind(path, info.st_mode);
    errno = 0;
    m_fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (m_fd < 0)
        failOpening(path, errno);
    try {
        if (::fstat(m_fd, &info) != 0)
            failReading("read", path, errno);
        if (!S_ISREG(info.st_mode))
            refuseKind(path, info.st_mode);
        m_size = static_cast<std::uint64_t>(info.st_size);
        if (m_size > maxBytes)
            throw UnreadableFile("Cannot read file \"" + path + "\": it holds " + std::to_string(m_size) +
                                 " bytes, more than the " + sizeText(maxBytes) + " a file read here may have");

        // A text file holds no NUL byte; looking at its start spares reading a large binary file.
        constexpr std::size_t kProbe = 4096;
        try {
            m_head.assign(static_cast<std::size_t>(std::min<std::uint64_t>(m_size, kProbe)), '\0');
        } catch (const std::bad_alloc&) {
            throw UnreadableFile("Cannot read file \"" + path + "\": there is not enough memory to hold it");
        }
        std::size_t got = 0;
        while (got < m_head.size()) {
            const ssize_t n = ::read(m_fd, m_head.data() + got, m_head.size() - got);
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                failReading("read", path, errno);
            }
            if (n == 0)
                break;  // the file shrank while it was read
            got += static_cast<std::size_t>(n);
        }
        const bool whole = got == m_head.size();
        m_head.resize(got);
        if (const void* nul = std::memchr(m_head.data(), '\0', got)) {
            if (!whole)
                throw UnreadableFile("Cannot read file \"" + path + "\": it is not a text file (it holds a NUL byte)");
            throw UnreadableFile("Cannot read file \"" + path + "\": it is not a text file (byte " +
                                 std::to_string(static_cast<const char*>(nul) - m_head.data() + 1) + " is a NUL byte)");
        }
        if (!whole)
            m_size = got;
    } catch (...) {
        ::close(m_fd);
        throw;
    }
}

TextFileReader::~TextFileReader()
{
    ::close(m_fd);
}

std::size_t TextFileReader::read(char* into, std::size_t most)
{
    most = static_cast<std::size_t>(std::min<std::uint64_t>(most, m_size - m_done));
    std::size_t got = 0;
    if (m_done < m_head.size()) {
        got = std::min(most, m_head.size() - static_cast<std::size_t>(m_done));
        std::memcpy(into, m_head.data() + m_done, got);
        m_done += got;
        if (m_done == m_head.size())
            std::string().swap(m_head);
    }
    while (got < most) {
        const ssize_t n = ::read(m_fd, into + got, most - got);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            failReading("read", m_path, errno);
        }
        if (n == 0) {
            m_size = m_done;  // the file shrank while it was read
            break;
        }
        got += static_cast<std::size_t>(n);
        m_done += static_cast<std::uint64_t>(n);
    }
    return got;
}

std::string TextFileReader::rest()
{
    std::string content;
    try {
        content.resize(static_cast<std::size_t>(m_size - m_done));
    } catch (const std::bad_alloc&) {
        throw UnreadableFile("Cannot read file \"" + m_path + "\": there is not enough memory to hold it (" +
                             std::to_string(m_size) + " bytes)");
    }
    std::size_t size = 0;
    while (const std::size_t got = read(content.data() + size, content.size() - size))
        size += got;
    content.resize(size);
    return content;
}

std::string readFile(const std::string& path, std::uint64_t maxBytes)
{
    return TextFileReader(path, maxBytes).rest();
}

void writeFileAtomically(const std::string& path, std::string_view content)
{
    const std::filesystem::path target = writeTarget(path);

    // A file its owner made read-only is refused, also for a user (root) whom the mode
    // would not stop: the rename below would replace it regardless.
    struct stat info {};
    const bool exists = ::stat(target.c_str(), &info) == 0;
    // A rename over a named pipe, a socket or a device would put a plain file in its place.
    if (exists && !S_ISREG(info.st_mode))
        throw Error("Cannot write file \"" + path + "\": it is " + kindOfFile(info.st_mode) + ", not a regular file");
    if (exists && S_ISREG(info.st_mode) && (info.st_mode & S_IWUSR) == 0)
        fail("write", path, EACCES);

    const std::string temp = temporaryNameFor(target);
    auto abandon = [&temp](int error, const std::string& doing, const std::string& file) {
        std::remove(temp.c_str());
        fail(doing, file, error);
    };

    errno = 0;
    std::FILE* raw = std::fopen(temp.c_str(), "wbx");
    if (!raw)
        fail("write", path, errno);  // nothing was created
    FilePtr file(raw);
    if (!content.empty() && std::fwrite(content.data(), 1, content.size(), file.get()) != content.size())
        abandon(errno != 0 ? errno : EIO, "write", path);
    if (std::fflush(file.get()) != 0 || ::fsync(::fileno(file.get())) != 0)
        abandon(errno != 0 ? errno : EIO, "write", path);
    if (std::fclose(file.release()) != 0)
        abandon(errno != 0 ? errno : EIO, "write", path);

    // A replaced file keeps its permissions.
    if (exists && S_ISREG(info.st_mode) && ::chmod(temp.c_str(), info.st_mode & 07777) != 0)
        abandon(errno, "write", path);

    if (std::rename(temp.c_str(), target.c_str()) != 0)
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
