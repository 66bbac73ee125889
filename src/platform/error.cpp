#include "platform/error.h"

namespace vezedo {

namespace {
std::string locate(const std::string& file, int line, const std::string& problem)
{
    std::string text = "File " + file;
    if (line > 0)
        text += ", line " + std::to_string(line);
    return text + ": " + problem;
}
}  // namespace

FileFormatError::FileFormatError(std::string file, int line, const std::string& problem)
    : Error(locate(file, line, problem)), m_file(std::move(file))
{
}

}  // namespace vezedo
