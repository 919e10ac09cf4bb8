#include "runtime/loop/Timer.h"

void OwnedTimerEvent::fire()
{
    if (owner_ && owner_->get() == this)
        owner_->release();
    callback();
    delete this;
}
