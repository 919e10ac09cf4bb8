#include "runtime/loop/TimerEvent.h"

#include "runtime/loop/Multiplexer.h"
#include "runtime/base/MuxTime.h"

TimerEvent::~TimerEvent()
{
    reset();
}

void TimerEvent::schedule(unsigned ms)
{
    expiry_ = Mux::milliseconds() + ms;
    multiplexer.set(this);
}

void TimerEvent::reset()
{
    multiplexer.reset(this);
}
