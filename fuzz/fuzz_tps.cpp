// The TPS reader: a table of x, y, z triples with one ID per specimen, or a FileFormatError.
#include "fuzz.h"
#include "io/tps.h"
#include "platform/error.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using vezedo::fuzz::require;
    try {
        const vezedo::io::TpsData read = vezedo::io::parseTps(vezedo::fuzz::textOf(data, size), "fuzz.tps");
        require(read.table.cols() % 3 == 0, "a TPS table holds x, y and z of every landmark");
        require(read.ids.size() == read.table.rows(), "a TPS read names every specimen");
    } catch (const vezedo::Error&) {
    }
    return 0;
}
