// Registry rows of the shape analysis and drawing functions: thin adapters from values to
// the typed functions of shape/ and display/.
#include <string>

#include "display/display.h"
#include "platform/error.h"
#include "shape/shape.h"
#include "shell/program.h"

namespace vezedo::shell {

using platform::LandmarkSet;
using platform::Matrix;

namespace {

void requireInputs(Inputs in, std::size_t needed)
{
    if (in.size() < needed)
        throw Error("Not enough input arguments.");
}

std::string inputName(const char* function, const char* what)
{
    return std::string(function) + ": the " + what;
}

const Matrix& matrixArgument(const Value& v, const char* function, const char* what)
{
    if (!v.isMatrix())
        throw Error(inputName(function, what) + " must be a numeric matrix; found " + v.describe());
    return v.matrix();
}

// A p x 3 shape given as a matrix, or the one specimen of a landmark data set.
Matrix shapeArgument(const Value& v, const char* function, const char* what)
{
    if (v.isLandmarkSet() && v.landmarkSet().specimens() == 1)
        return v.landmarkSet().sliceMatrix(0);
    const Matrix& m = matrixArgument(v, function, what);
    if (m.cols() != 3)
        throw Error(inputName(function, what) + " must be a p x 3 shape (x, y, z per landmark); found " + v.describe());
    return m;
}

// A landmark data set, or a p x 3 matrix standing for a set of one specimen.
LandmarkSet setArgument(const Value& v, const char* function, const char* what)
{
    if (v.isLandmarkSet())
        return v.landmarkSet();
    if (v.isMatrix() && v.matrix().cols() == 3)
        return LandmarkSet(v.matrix());
    throw Error(inputName(function, what) + " must be a landmark data set or a p x 3 shape; found " + v.describe());
}

// A data set of one specimen is handed back as a plain p x 3 matrix.
Value setValue(LandmarkSet set)
{
    if (set.empty())
        return Value();
    if (set.specimens() == 1)
        return Value(set.sliceMatrix(0));
    return Value(std::move(set));
}

}  // namespace

void defineShapeFunctions(Registry& registry, platform::Runtime& rt)
{
    registry.define("centsize3D", [](Inputs in, int) -> Outputs {
        requireInputs(in, 1);
        shape::Centred c = shape::centsize3D(matrixArgument(in[0], "centsize3D", "configuration"));
        return {Value(std::move(c.y)), Value(c.cs)};
    });

    registry.define("centsize3Da", [](Inputs in, int) -> Outputs {
        requireInputs(in, 1);
        return {Value(shape::centsize3Da(matrixArgument(in[0], "centsize3Da", "configuration")))};
    });

    registry.define("getpproc3", [&rt](Inputs in, int) -> Outputs {
        requireInputs(in, 1);
        shape::Superimposition fit = shape::getpproc3(setArgument(in[0], "getpproc3", "data"), rt.console);
        return {Value(std::move(fit.mean)), setValue(std::move(fit.fitted))};
    });

    registry.define("partialprocrustes3a", [&rt](Inputs in, int) -> Outputs {
        requireInputs(in, 2);
        return {Value(shape::partialprocrustes3a(shapeArgument(in[0], "partialprocrustes3a", "reference"),
                                                 shapeArgument(in[1], "partialprocrustes3a", "subject"), rt.console))};
    });

    registry.define("svdrot2", [](Inputs in, int) -> Outputs {
        requireInputs(in, 2);
        return {Value(
            shape::svdrot2(shapeArgument(in[0], "svdrot2", "reference"), shapeArgument(in[1], "svdrot2", "subject")))};
    });

    registry.define("showshape3D", [&rt](Inputs in, int) -> Outputs {
        requireInputs(in, 2);
        display::showshape3D(rt.graphics, setArgument(in[0], "showshape3D", "shape"),
                             platform::textArgument(in[1], "showshape3D", "style"));
        return {};
    });

    registry.define("wire3d", [&rt](Inputs in, int) -> Outputs {
        requireInputs(in, 2);
        const Matrix shape = shapeArgument(in[0], "wire3d", "shape");
        const Matrix& wirelist = matrixArgument(in[1], "wire3d", "wire list");
        if (in.size() < 3)
            display::wire3d(rt.graphics, shape, wirelist);
        else
            display::wire3d(rt.graphics, shape, wirelist, platform::textArgument(in[2], "wire3d", "style"));
        return {};
    });

    registry.define("vertxy3D", [](Inputs in, int) -> Outputs {
        requireInputs(in, 1);
        return {setValue(display::vertxy3D(matrixArgument(in[0], "vertxy3D", "coordinate table")))};
    });

    registry.define("cla", [&rt](Inputs in, int nargout) -> Outputs {
        if (!in.empty())
            throw Error("cla: no options are supported; it clears the current axes and takes no input (found " +
                        std::to_string(in.size()) + ")");
        const platform::Handle axes = display::cla(rt.graphics);
        if (nargout > 0)
            return {Value(axes)};
        return {};
    });

    registry.define("ylabel", [&rt](Inputs in, int nargout) -> Outputs {
        requireInputs(in, 1);
        const platform::Handle label = display::ylabel(rt.graphics, in[0], in.subspan(1));
        if (nargout > 0)
            return {Value(label)};
        return {};
    });
}

}  // namespace vezedo::shell
