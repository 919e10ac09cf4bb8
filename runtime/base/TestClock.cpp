#include "runtime/base/TestClock.h"

namespace Mux {

TestClock* TestClock::installed_ = nullptr;

TestClock::TestClock(uint32_t start_ms) : now_(start_ms), previous_(installed_)
{
    installed_ = this;
}

TestClock::~TestClock()
{
    installed_ = previous_;
}

} // namespace Mux
