#pragma once

#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/value.h"

// The table of functions callable by name: the layout's callbacks and the program reach
// every function through it, and it refuses calls with more inputs or outputs than a
// function declares.
namespace vezedo::shell {

using platform::Value;
using Inputs = std::span<const Value>;
using Outputs = std::vector<Value>;
// Receives the given inputs (missing trailing inputs are simply absent) and the number of
// outputs the caller asked for.
using Entry = std::function<Outputs(Inputs inputs, int nargout)>;

inline constexpr int kAnyCount = -1;    // any number
inline constexpr int kOneThenAny = -2;  // one fixed input, then any number

struct FunctionRow {
    std::string name;
    int inputs;
    int outputs;
    Entry entry;
};

// A private function of a module, reachable by name only from within it.
struct LocalRow {
    std::string module;
    std::string name;
    int inputs;
    int outputs;
    int line;  // where the function begins in its module, for error texts
    Entry entry;
};

class Registry {
public:
    // The 22 rows in table order; until a row is defined its entry raises "not available".
    Registry();

    // Gives an existing row its entry; an unknown name is a programming error (throws).
    void define(std::string_view name, Entry entry);
    void defineLocal(std::string module, std::string name, int inputs, int outputs, int line, Entry entry);

    const std::vector<FunctionRow>& rows() const { return m_rows; }
    const FunctionRow* find(std::string_view name) const;
    const LocalRow* findLocal(std::string_view module, std::string_view name) const;

    Outputs call(std::string_view name, Inputs inputs, int nargout = 0) const;
    Outputs call(std::string_view name, std::initializer_list<Value> inputs, int nargout = 0) const;
    Outputs callLocal(std::string_view module, std::string_view name, Inputs inputs, int nargout = 0) const;

private:
    std::vector<FunctionRow> m_rows;
    std::vector<LocalRow> m_locals;
};

// "Run-time Error: File: NAME Line: LINE Column: 1 The function "NAME" was called with more
// than the declared number of inputs (COUNT)." (or outputs).
std::string argumentCountMessage(std::string_view name, int line, bool inputs, int declared);

// Throws the argument-count error when the call gives more than is declared.
void checkCounts(std::string_view name, int line, int declaredIn, int declaredOut, std::size_t given, int nargout);

}  // namespace vezedo::shell
