// Box texts read as numbers: any text gives a matrix (the empty one when it holds no numbers),
// and the text written for a matrix reads back with the same rows and columns.
#include "fuzz.h"
#include "platform/error.h"
#include "platform/numtext.h"

using namespace vezedo;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    try {
        const platform::Matrix m = platform::parseNumericText(fuzz::textOf(data, size));
        const platform::Matrix again = platform::parseNumericText(platform::numberToText(m));
        fuzz::require(again.rows() == m.rows() && again.cols() == m.cols(),
                      "a matrix written as box text reads back with its shape");
    } catch (const Error&) {
    }
    return 0;
}
