#pragma once

#include <stdexcept>
#include <string>

namespace vezedo {

// A step that fails throws an Error; the callback boundary catches it and writes the
// message to the console. The message says what was being done and what was expected.
class Error : public std::runtime_error {
public:
    explicit Error(const std::string& message) : std::runtime_error(message) {}
};

// A problem with the contents of a file, located by file name and (when known) line.
class FileFormatError : public Error {
public:
    FileFormatError(std::string file, int line, const std::string& problem);

    const std::string& file() const { return m_file; }

private:
    std::string m_file;
};

// Thrown when the user stops a long action. Deliberately no std::exception: the handlers that
// report failures must never take it for one. The action boundary catches it; by then nothing
// has changed, since actions commit only after their last progress step.
struct Cancelled {
    std::string what;  // the work that was stopped, as its progress named it
};

}  // namespace vezedo
