#include "shell/registry.h"

#include <algorithm>

#include "platform/error.h"

namespace vezedo::shell {

namespace {

struct Declared {
    const char* name;
    int inputs;
    int outputs;
};

// In table order, with each function's declared input and output counts.
constexpr Declared kTable[] = {
    {"Vezedo6", kAnyCount, kAnyCount},
    {"vezedosw", 1, 0},
    {"guidata", 2, 1},
    {"guihandles", 1, 1},
    {"openfig", 2, 1},
    {"centsize3D", 1, 2},
    {"cla", kAnyCount, 1},
    {"getpproc3", 1, 2},
    {"gettpsfile3D", 1, 3},
    {"mfload", 1, 2},
    {"mfloadtxt", 1, 2},
    {"showshape3D", 2, 0},
    {"vertxy3D", 1, 1},
    {"wire3d", 3, 0},
    {"ylabel", kOneThenAny, 1},
    {"isvarname", 1, 1},
    {"movegui", kAnyCount, 0},
    {"centsize3Da", 1, 1},
    {"partialprocrustes3a", 2, 1},
    {"dload", 1, 1},
    {"iskeyword", 1, 1},
    {"svdrot2", 2, 1},
};

}  // namespace

std::string argumentCountMessage(std::string_view name, int line, bool inputs, int declared)
{
    return "Run-time Error: File: " + std::string(name) + " Line: " + std::to_string(line) +
           " Column: 1 The function \"" + std::string(name) + "\" was called with more than the declared number of " +
           (inputs ? "inputs" : "outputs") + " (" + std::to_string(declared) + ").";
}

void checkCounts(std::string_view name, int line, int declaredIn, int declaredOut, std::size_t given, int nargout)
{
    if (declaredIn >= 0 && given > static_cast<std::size_t>(declaredIn))
        throw Error(argumentCountMessage(name, line, true, declaredIn));
    if (declaredOut >= 0 && nargout > declaredOut)
        throw Error(argumentCountMessage(name, line, false, declaredOut));
}

Registry::Registry()
{
    for (const Declared& d : kTable) {
        std::string name = d.name;
        Entry unavailable = [name](Inputs, int) -> Outputs {
            throw Error("The function \"" + name + "\" is not available in this version of the program.");
        };
        m_rows.push_back({d.name, d.inputs, d.outputs, std::move(unavailable)});
    }
}

void Registry::define(std::string_view name, Entry entry)
{
    for (FunctionRow& row : m_rows) {
        if (row.name == name) {
            row.entry = std::move(entry);
            return;
        }
    }
    throw Error("No registry row is named \"" + std::string(name) + "\"");
}

void Registry::defineLocal(std::string module, std::string name, int inputs, int outputs, int line, Entry entry)
{
    m_locals.push_back({std::move(module), std::move(name), inputs, outputs, line, std::move(entry)});
}

const FunctionRow* Registry::find(std::string_view name) const
{
    auto it = std::find_if(m_rows.begin(), m_rows.end(), [&](const FunctionRow& r) { return r.name == name; });
    return it == m_rows.end() ? nullptr : &*it;
}

const LocalRow* Registry::findLocal(std::string_view module, std::string_view name) const
{
    auto it = std::find_if(m_locals.begin(), m_locals.end(),
                           [&](const LocalRow& r) { return r.module == module && r.name == name; });
    return it == m_locals.end() ? nullptr : &*it;
}

Outputs Registry::call(std::string_view name, Inputs inputs, int nargout) const
{
    const FunctionRow* row = find(name);
    if (!row)
        throw Error("Undefined function \"" + std::string(name) + "\": no function of that name is registered.");
    checkCounts(row->name, 1, row->inputs, row->outputs, inputs.size(), nargout);
    return row->entry(inputs, nargout);
}

Outputs Registry::call(std::string_view name, std::initializer_list<Value> inputs, int nargout) const
{
    return call(name, Inputs(inputs.begin(), inputs.size()), nargout);
}

Outputs Registry::callLocal(std::string_view module, std::string_view name, Inputs inputs, int nargout) const
{
    const LocalRow* row = findLocal(module, name);
    if (!row)
        throw Error("Undefined function \"" + std::string(name) + "\" in " + std::string(module) + ".");
    checkCounts(row->module + "/" + row->name, row->line, row->inputs, row->outputs, inputs.size(), nargout);
    return row->entry(inputs, nargout);
}

}  // namespace vezedo::shell
