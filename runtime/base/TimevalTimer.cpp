#include "runtime/base/TimevalTimer.h"

#include "runtime/base/TimeValue.h"

namespace Mux {

bool timeval_timer::is_expired(timeval const& now) const
{
    if (period < 1)
        return false;
    return timevaldiff(start, now) > static_cast<unsigned long long>(period);
}

void timeval_timer::inc()
{
    if (period > 0)
        timevaladd(start, make_from_msec(static_cast<unsigned>(period)));
}

} // namespace Mux
