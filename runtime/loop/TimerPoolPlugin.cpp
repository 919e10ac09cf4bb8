#include "runtime/loop/TimerPoolPlugin.h"

#include "runtime/loop/Multiplexer.h"

TimerPoolPlugin::~TimerPoolPlugin()
{
    timerUnhook();
}

void TimerPoolPlugin::timerHook()
{
    if (!hooked_) {
        multiplexer.hook(this);
        hooked_ = true;
    }
}

void TimerPoolPlugin::timerUnhook()
{
    if (hooked_) {
        multiplexer.unhook(this);
        hooked_ = false;
    }
}
