#pragma once
// The errno part of a failed request's log line: ` errno="<strerror text>"`
// of the errno at the time it is written.
#include <cerrno>
#include <cstring>
#include <ostream>

namespace Hardware {

struct ErrnoText {};

inline std::ostream& operator<<(std::ostream& out, ErrnoText)
{
    return out << " errno=\"" << std::strerror(errno) << '"';
}

} // namespace Hardware
