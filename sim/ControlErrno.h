#pragma once
// The errno word of a control line ("fail hal next 2 EBUSY"): one of the
// names a driver's failure is reported with, or its number (1..4095, as
// controlCount reads it). Anything else is refused, so that a mistyped
// failure is never injected as some other one.
#include "sim/ControlNumber.h"

#include <cerrno>
#include <string>

namespace Sim {

inline bool controlErrno(std::string const& text, int& errnum)
{
    struct Name {
        char const* text;
        int value;
    };
    static Name const names[] = {
        {"EPERM", EPERM},         {"ENOENT", ENOENT},       {"EINTR", EINTR},   {"EIO", EIO},       {"ENXIO", ENXIO},
        {"EBADF", EBADF},         {"EAGAIN", EAGAIN},       {"ENOMEM", ENOMEM}, {"EACCES", EACCES}, {"EFAULT", EFAULT},
        {"EBUSY", EBUSY},         {"ENODEV", ENODEV},       {"EINVAL", EINVAL}, {"ENFILE", ENFILE}, {"EMFILE", EMFILE},
        {"ENOTTY", ENOTTY},       {"ENOSPC", ENOSPC},       {"EPIPE", EPIPE},   {"ERANGE", ERANGE}, {"ENOSYS", ENOSYS},
        {"EOVERFLOW", EOVERFLOW}, {"ETIMEDOUT", ETIMEDOUT},
    };
    for (Name const& known : names) {
        if (text == known.text) {
            errnum = known.value;
            return true;
        }
    }
    unsigned long number = 0;
    if (!controlCount(text, 4095, number) || number == 0)
        return false;
    errnum = static_cast<int>(number);
    return true;
}

} // namespace Sim
