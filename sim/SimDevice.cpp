#include "sim/SimDevice.h"

#include <cerrno>

namespace Sim {

int Device::request(Open&, unsigned long, std::uint8_t*, std::size_t, RequestNote&)
{
    return -ENOTTY;
}

int Device::request_value(Open&, unsigned long, unsigned long, RequestNote&)
{
    return -ENOTTY;
}

int Device::request_none(Open&, unsigned long, RequestNote&)
{
    return -ENOTTY;
}

ssize_t Device::read(Open&, void*, std::size_t)
{
    return -EAGAIN;
}

ssize_t Device::write(Open&, void const*, std::size_t)
{
    return -EINVAL;
}

bool Device::control(std::vector<std::string> const&, std::ostream&)
{
    return false;
}

std::string Device::name() const
{
    std::string full = path();
    return full.substr(full.rfind('/') + 1);
}

} // namespace Sim
