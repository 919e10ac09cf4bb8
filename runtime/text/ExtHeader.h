#pragma once
// The log-line prefix of an object: `out << ext::header(this)` writes what the
// object's class chooses to start its lines with ("hwMux: ", "ctrl [peer]: ",
// ...) through its PutHeader(std::ostream&) const. A class without one of its
// own uses the one it inherits. The helper only points at the object.
#include <ostream>

namespace ext {

template <typename T>
struct OutObjHeader {
    T const* object;
};

template <typename T>
OutObjHeader<T> header(T const* object)
{
    return OutObjHeader<T>{object};
}

template <typename T>
std::ostream& operator<<(std::ostream& out, OutObjHeader<T> const& h)
{
    h.object->PutHeader(out);
    return out;
}

} // namespace ext
