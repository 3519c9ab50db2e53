#pragma once

#include <QString>

#include <concepts>
#include <utility>
#include <variant>

// Errors are values: no exception crosses a layer or a slot.
struct Error
{
    enum Code { NotFound, BadInput, Io, Store, Conflict };
    Code code;
    QString message; // one sentence the user can act on
};

template <typename T> class [[nodiscard]] Result
{
public:
    Result() requires std::same_as<T, std::monostate>
    = default;
    Result(T value) : m_v(std::move(value)) { } // NOLINT(google-explicit-constructor)
    Result(Error error) : m_v(std::move(error)) { } // NOLINT(google-explicit-constructor)

    bool has_value() const { return m_v.index() == 0; }
    explicit operator bool() const { return has_value(); }
    const T &value() const { return std::get<0>(m_v); }
    T &value() { return std::get<0>(m_v); }
    const Error &error() const { return std::get<1>(m_v); }

private:
    std::variant<T, Error> m_v;
};

using Status = Result<std::monostate>;
