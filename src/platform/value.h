#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "platform/matrix.h"

namespace vezedo::platform {

class Value;

// An ordered list of values (matrices, texts, further lists).
using CellList = std::vector<Value>;

// Named fields in the order they were first set, e.g. a window's handle table
// (control tag -> row of handles).
class Record {
public:
    bool has(std::string_view name) const;
    const Value* find(std::string_view name) const;
    Value* find(std::string_view name);
    // Sets the field, creating it at the end on first use.
    void set(const std::string& name, Value value);
    const Value& get(std::string_view name) const;  // throws for an unknown field

    const std::vector<std::string>& names() const { return m_names; }
    std::size_t size() const { return m_names.size(); }
    bool operator==(const Record& other) const;

private:
    std::vector<std::string> m_names;
    std::vector<Value> m_values;
};

// A value passed dynamically: the inputs and outputs of functions called by name,
// properties read and written by name, and application data.
class Value {
public:
    using Variant = std::variant<Matrix, std::string, CellList, Record, LandmarkSet>;

    Value() = default;  // the empty matrix
    Value(Matrix m) : m_v(std::move(m)) {}
    Value(double d) : m_v(Matrix::scalar(d)) {}
    Value(int i) : m_v(Matrix::scalar(static_cast<double>(i))) {}
    Value(std::string s) : m_v(std::move(s)) {}
    Value(const char* s) : m_v(std::string(s)) {}
    Value(CellList c) : m_v(std::move(c)) {}
    Value(Record r) : m_v(std::move(r)) {}
    Value(LandmarkSet s) : m_v(std::move(s)) {}

    bool isMatrix() const { return std::holds_alternative<Matrix>(m_v); }
    bool isString() const { return std::holds_alternative<std::string>(m_v); }
    bool isCell() const { return std::holds_alternative<CellList>(m_v); }
    bool isRecord() const { return std::holds_alternative<Record>(m_v); }
    bool isLandmarkSet() const { return std::holds_alternative<LandmarkSet>(m_v); }
    // The empty matrix (no value). An empty text or list is not "no value".
    bool isEmptyMatrix() const { return isMatrix() && matrix().empty(); }
    // Empty of any kind: empty matrix, text, list, record or data set.
    bool isEmpty() const;
    bool isNumericScalar() const { return isMatrix() && matrix().isScalar(); }

    const Matrix& matrix() const;
    Matrix& matrix();
    const std::string& string() const;
    const CellList& cell() const;
    const Record& record() const;
    Record& record();
    const LandmarkSet& landmarkSet() const;

    // The single number of a 1 x 1 matrix; throws otherwise, naming `what`.
    double scalar(std::string_view what = "value") const;

    // A short description of the kind and size, for error messages ("a 2 x 3 matrix").
    std::string describe() const;

    const Variant& variant() const { return m_v; }
    bool operator==(const Value& other) const { return m_v == other.m_v; }

private:
    Variant m_v;
};

// The text given as an input of a function; otherwise an Error that names the function and
// the input ("openfig: the file name must be a text; found ...").
std::string textArgument(const Value& value, std::string_view function, std::string_view what);

}  // namespace vezedo::platform
