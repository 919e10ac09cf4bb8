#pragma once
// A value written between double quotes: `out << ext::quoted(name)`. The
// helper holds a reference to the value, so it is meant to be written in the
// same expression that makes it.
#include <ostream>

namespace ext {

template <typename T>
struct OutQuoted {
    T const& value;
};

template <typename T>
OutQuoted<T> quoted(T const& value)
{
    return OutQuoted<T>{value};
}

template <typename T>
std::ostream& operator<<(std::ostream& out, OutQuoted<T> const& q)
{
    return out << '"' << q.value << '"';
}

// A null text is shown as an empty one; handing it to the stream would set
// its bad bit and silence every later line.
inline std::ostream& operator<<(std::ostream& out, OutQuoted<char const*> const& q)
{
    return out << '"' << (q.value ? q.value : "") << '"';
}

} // namespace ext
