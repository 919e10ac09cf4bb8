#include "runtime/loop/Signal.h"

namespace IPC {

Signal::Set::Set()
{
    sigemptyset(&set_);
}

Signal::Set::Set(int sig1, int sig2) : Set()
{
    sigaddset(&set_, sig1);
    sigaddset(&set_, sig2);
}

Signal::Set::Set(int sig1, int sig2, int sig3) : Set(sig1, sig2)
{
    sigaddset(&set_, sig3);
}

bool Signal::Set::is_signal(int sig) const
{
    return sigismember(&set_, sig) != -1;
}

namespace {

int install(int sig, struct sigaction& action, Signal::Set const& mask, int flags)
{
    action.sa_mask = mask.get();
    action.sa_flags = flags;
    return sigaction(sig, &action, nullptr);
}

int changeRestart(int sig, bool restart)
{
    struct sigaction action;
    if (sigaction(sig, nullptr, &action) != 0)
        return -1;
    if (restart)
        action.sa_flags |= SA_RESTART;
    else
        action.sa_flags &= ~SA_RESTART;
    return sigaction(sig, &action, nullptr);
}

} // namespace

int Signal::handle(int sig, Handler handler, Set const& mask, int flags)
{
    struct sigaction action {};
    action.sa_handler = handler;
    return install(sig, action, mask, flags & ~SA_SIGINFO);
}

int Signal::handle(int sig, Handler handler, int flags)
{
    return handle(sig, handler, Set(), flags);
}

int Signal::handle(int sig, InfoHandler handler, Set const& mask, int flags)
{
    struct sigaction action {};
    action.sa_sigaction = handler;
    return install(sig, action, mask, flags | SA_SIGINFO);
}

int Signal::handle(int sig, InfoHandler handler, int flags)
{
    return handle(sig, handler, Set(), flags);
}

int Signal::ignore(int sig)
{
    return handle(sig, SIG_IGN, 0);
}

int Signal::system(int sig)
{
    return handle(sig, SIG_DFL, 0);
}

int Signal::disable_int(int sig)
{
    return changeRestart(sig, true);
}

int Signal::enable_int(int sig)
{
    return changeRestart(sig, false);
}

} // namespace IPC
