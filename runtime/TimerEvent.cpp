#include "runtime/TimerEvent.h"

#include "runtime/Multiplexer.h"
#include "runtime/MuxTime.h"

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
