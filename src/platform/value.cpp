#include "platform/value.h"

#include <algorithm>
#include <utility>

#include "platform/error.h"

namespace vezedo::platform {

bool Record::has(std::string_view name) const
{
    return find(name) != nullptr;
}

const Value* Record::find(std::string_view name) const
{
    auto it = std::find(m_names.begin(), m_names.end(), name);
    return it == m_names.end() ? nullptr : &m_values[static_cast<std::size_t>(it - m_names.begin())];
}

Value* Record::find(std::string_view name)
{
    return const_cast<Value*>(std::as_const(*this).find(name));
}

void Record::set(const std::string& name, Value value)
{
    if (Value* v = find(name)) {
        *v = std::move(value);
        return;
    }
    m_names.push_back(name);
    m_values.push_back(std::move(value));
}

const Value& Record::get(std::string_view name) const
{
    if (const Value* v = find(name))
        return *v;
    throw Error("Reference to non-existent field '" + std::string(name) + "'");
}

bool Record::operator==(const Record& other) const
{
    return m_names == other.m_names && m_values == other.m_values;
}

bool Value::isEmpty() const
{
    return std::visit(
        [](const auto& v) {
            using T = std::decay_t<decltype(v)>;
            if constexpr (std::is_same_v<T, Record>)
                return v.size() == 0;
            else
                return v.empty();
        },
        m_v);
}

namespace {
template <typename T> const T& expect(const Value::Variant& v, const char* kind, const Value& self)
{
    if (const T* p = std::get_if<T>(&v))
        return *p;
    throw Error(std::string("Expected ") + kind + ", found " + self.describe());
}
}  // namespace

const Matrix& Value::matrix() const
{
    return expect<Matrix>(m_v, "a numeric value", *this);
}

Matrix& Value::matrix()
{
    return const_cast<Matrix&>(std::as_const(*this).matrix());
}

const std::string& Value::string() const
{
    return expect<std::string>(m_v, "a text", *this);
}

const CellList& Value::cell() const
{
    return expect<CellList>(m_v, "a cell list", *this);
}

const Record& Value::record() const
{
    return expect<Record>(m_v, "a record", *this);
}

Record& Value::record()
{
    return const_cast<Record&>(std::as_const(*this).record());
}

const LandmarkSet& Value::landmarkSet() const
{
    return expect<LandmarkSet>(m_v, "a landmark data set", *this);
}

double Value::scalar(std::string_view what) const
{
    if (isMatrix() && matrix().isScalar())
        return matrix()[0];
    throw Error("Expected " + std::string(what) + " to be one number, found " + describe());
}

std::string textArgument(const Value& value, std::string_view function, std::string_view what)
{
    if (!value.isString())
        throw Error(std::string(function) + ": the " + std::string(what) + " must be a text; found " +
                    value.describe());
    return value.string();
}

std::string Value::describe() const
{
    return std::visit(
        [](const auto& v) -> std::string {
            using T = std::decay_t<decltype(v)>;
            if constexpr (std::is_same_v<T, Matrix>) {
                if (v.empty())
                    return "the empty matrix";
                return "a " + std::to_string(v.rows()) + " x " + std::to_string(v.cols()) + " matrix";
            } else if constexpr (std::is_same_v<T, std::string>) {
                return "the text \"" + v + "\"";
            } else if constexpr (std::is_same_v<T, CellList>) {
                return "a cell list of " + std::to_string(v.size()) + " elements";
            } else if constexpr (std::is_same_v<T, Record>) {
                return "a record of " + std::to_string(v.size()) + " fields";
            } else {
                return "a " + std::to_string(v.landmarks()) + " x 3 x " + std::to_string(v.specimens()) +
                       " landmark data set";
            }
        },
        m_v);
}

}  // namespace vezedo::platform
