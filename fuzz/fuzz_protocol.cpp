// Protocol and wireframe files: the first byte is the landmark count of the shape, the rest
// the file. A protocol read holds only landmarks of the shape, and a protocol of plain
// three-number lines reads back from its own file unchanged. (Further numbers on a line are
// written as the format repeats, so those files do not keep their lines.)
#include "fuzz.h"
#include "io/numeric.h"
#include "platform/error.h"
#include "session/protocolfile.h"

using namespace vezedo;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const std::size_t landmarks = data[0];
    session::Protocol protocol;
    try {
        protocol =
            session::protocolFromTable(io::parseNumericTable(fuzz::textOf(data + 1, size - 1), "fuzz.txt"), landmarks);
    } catch (const Error&) {
        return 0;
    }
    bool plain = true;
    for (const session::ProtocolLine& line : protocol.lines()) {
        fuzz::require(line.from >= 1 && line.from <= landmarks && line.to >= 1 && line.to <= landmarks,
                      "a protocol names landmarks of the shape only");
        plain = plain && line.extra.empty();
    }
    if (!plain)
        return 0;
    session::Protocol again;
    try {
        again = session::protocolFromTable(io::parseNumericTable(session::protocolFileText(protocol), "again.txt"),
                                           landmarks);
    } catch (const Error&) {
        fuzz::require(false, "a saved protocol reads back");
    }
    fuzz::require(again.size() == protocol.size(), "a saved protocol keeps its lines");
    for (std::size_t i = 0; i < again.size(); ++i)
        fuzz::require(again.lines()[i].from == protocol.lines()[i].from &&
                          again.lines()[i].to == protocol.lines()[i].to,
                      "a saved protocol keeps its landmarks");
    return 0;
}
