// Registry rows of the landmark readers: thin adapters from values to the typed functions
// of io/.
#include "io/numeric.h"
#include "io/tps.h"
#include "platform/error.h"
#include "shell/program.h"

namespace vezedo::shell {

void defineIoFunctions(Registry& registry, platform::Runtime& rt)
{
    registry.define("gettpsfile3D", [&rt](Inputs, int) -> Outputs {
        io::TpsLoad load = io::gettpsfile3D(rt);
        return {Value(std::move(load.y)), std::move(load.fname), Value(std::move(load.namelist))};
    });

    registry.define("mfload", [&rt](Inputs, int) -> Outputs {
        io::MatrixLoad load = io::mfload(rt);
        return {std::move(load.y), std::move(load.fn)};
    });

    registry.define("mfloadtxt", [&rt](Inputs, int) -> Outputs {
        io::MatrixLoad load = io::mfloadtxt(rt);
        return {std::move(load.y), std::move(load.fn)};
    });

    registry.define("dload", [](Inputs in, int) -> Outputs {
        if (in.empty())
            throw Error("Not enough input arguments.");
        if (!in[0].isString())
            throw Error("dload: the file name must be a text; found " + in[0].describe());
        return {io::dload(in[0].string())};
    });
}

}  // namespace vezedo::shell
