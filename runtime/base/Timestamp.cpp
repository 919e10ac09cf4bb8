#include "runtime/base/Timestamp.h"

#include <ctime>

std::ostream& timestamp(std::ostream& out)
{
    std::time_t const now = std::time(nullptr);
    if (now == static_cast<std::time_t>(-1))
        return out;
    std::tm local;
    if (!localtime_r(&now, &local))
        return out;
    char text[32];
    if (std::strftime(text, sizeof text, "%d/%m %H:%M:%S", &local) == 0)
        return out;
    return out << text;
}
