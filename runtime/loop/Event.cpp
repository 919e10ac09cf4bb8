#include "runtime/loop/Event.h"

#include <poll.h>

Event::~Event()
{
    handler_.reset();
    if (fd_)
        mux_detach();
}

void Event::Bind(Handler* handler)
{
    handler_.reset(handler);
}

void Event::UnBind()
{
    handler_.reset();
}

void Event::Schedule(Fd const& fd, short events)
{
    if (fd_)
        mux_detach();
    if (&fd != &fd_)
        fd_ = fd;
    events_ = events;
    if (fd_)
        mux_attach();
}

void Event::Release()
{
    if (fd_)
        mux_detach();
    fd_.close();
}

void Event::shedule_event(pollfd& entry)
{
    entry.fd = fd_.get();
    entry.events = events_;
}

void Event::svc_event(short revents)
{
    if (revents & events_)
        ++count_;
    if (handler_)
        handler_->Invoke(fd_.get(), revents);
}
