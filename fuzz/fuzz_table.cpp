// The numeric table reader (specimen tables, protocols and wireframes before they are checked).
#include "fuzz.h"
#include "io/numeric.h"
#include "platform/error.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    try {
        vezedo::io::parseNumericTable(vezedo::fuzz::textOf(data, size), "fuzz.txt");
    } catch (const vezedo::Error&) {
    }
    return 0;
}
