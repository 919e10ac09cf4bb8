#include "hardware/RtpErr.h"

#include <cerrno>
#include <cstring>
#include <ostream>

RtpErr::RtpErr(int code) : saved_errno(errno), code(code) {}

void RtpErr::Put(std::ostream& out) const
{
    out << std::strerror(saved_errno);
}

std::ostream& operator<<(std::ostream& out, RtpErr const& error)
{
    error.Put(out);
    return out;
}
