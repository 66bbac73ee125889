// Session scripts: a script is read or refused with an Error naming the line, and every text a
// command carries reads back unchanged from its quoted form (the recorder writes texts so).
#include "fuzz.h"
#include "platform/error.h"
#include "script/script.h"

using namespace vezedo;

namespace {

void expectReadsBack(const std::string& text)
{
    std::vector<script::Command> again;
    try {
        again = script::parseScript("set T " + script::quoteText(text) + "\n");
    } catch (const Error&) {
        fuzz::require(false, "a quoted text reads back");
    }
    fuzz::require(again.size() == 1 && again[0].second == text, "a quoted text reads back unchanged");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::vector<script::Command> commands;
    try {
        commands = script::parseScript(fuzz::textOf(data, size));
    } catch (const Error&) {
        return 0;
    }
    for (const script::Command& command : commands) {
        expectReadsBack(command.first);
        expectReadsBack(command.second);
    }
    return 0;
}
