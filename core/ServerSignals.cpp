#include "core/ServerSignals.h"

#include "runtime/loop/Multiplexer.h"
#include "runtime/loop/Signal.h"

#include <csignal>

namespace {

volatile std::sig_atomic_t stopRequested;
volatile std::sig_atomic_t dumpRequested;
volatile std::sig_atomic_t hangupRequested;

int const handledSignals[] = {SIGTERM, SIGINT, SIGUSR2, SIGHUP};

// Clears a record and tells whether it was set.
bool take(volatile std::sig_atomic_t& flag)
{
    if (!flag)
        return false;
    flag = 0;
    return true;
}

} // namespace

ServerSignals::ServerSignals(Reactions& reactions) : reactions_(reactions)
{
    dpc_.Bind(this, &ServerSignals::check);
}

ServerSignals::~ServerSignals()
{
    dpc_.Deactivate();
    if (!installed_)
        return;
    for (int sig : handledSignals)
        IPC::Signal::system(sig);
    IPC::Signal::system(SIGPIPE);
}

void ServerSignals::record(int sig)
{
    switch (sig) {
    case SIGTERM:
    case SIGINT:
        stopRequested = 1;
        break;
    case SIGUSR2:
        dumpRequested = 1;
        break;
    case SIGHUP:
        hangupRequested = 1;
        break;
    default:
        return;
    }
    multiplexer.wakeup();
}

bool ServerSignals::install()
{
    stopRequested = dumpRequested = hangupRequested = 0;
    installed_ = true;
    bool ok = IPC::Signal::ignore(SIGPIPE) == 0;
    for (int sig : handledSignals)
        ok = IPC::Signal::handle(sig, &ServerSignals::record, SA_RESTART) == 0 && ok;
    dpc_.Activate();
    return ok;
}

void ServerSignals::check()
{
    if (take(dumpRequested))
        reactions_.OnStatusDump();
    if (take(hangupRequested))
        reactions_.OnHangup();
    if (take(stopRequested))
        reactions_.OnStop();
}
