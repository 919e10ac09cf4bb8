#include "runtime/loop/MuxSet.h"

#include <algorithm>

namespace Mux {

void Set::zero()
{
    FD_ZERO(&fds_);
    max_ = -1;
}

bool Set::set(int fd)
{
    if (!fits(fd))
        return false;
    FD_SET(fd, &fds_);
    max_ = std::max(max_, fd);
    return true;
}

void Set::clr(int fd)
{
    if (!fits(fd))
        return;
    FD_CLR(fd, &fds_);
    while (max_ >= 0 && !FD_ISSET(max_, &fds_))
        --max_;
}

bool Set::isset(int fd) const
{
    return fits(fd) && FD_ISSET(fd, &fds_);
}

int max_fd(Set const& a, Set const& b)
{
    return std::max(a.max(), b.max());
}

int max_fd(Set const& a, Set const& b, Set const& c)
{
    return std::max(max_fd(a, b), c.max());
}

namespace {

fd_set* orNone(Set* s)
{
    return s && s->max() >= 0 ? s->native() : nullptr;
}

int selectOn(Set* r, Set* w, Set* e, timeval const* timeout)
{
    int highest = -1;
    for (Set const* s : {r, w, e})
        if (s)
            highest = std::max(highest, s->max());
    ::timeval limit;
    if (timeout) {
        limit.tv_sec = timeout->sec;
        limit.tv_usec = timeout->usec;
    }
    return ::select(highest + 1, orNone(r), orNone(w), orNone(e), timeout ? &limit : nullptr);
}

} // namespace

int select(Set& r, Set& w, Set& e, timeval const& timeout) { return selectOn(&r, &w, &e, &timeout); }
int select(Set& r, Set& w, Set& e) { return selectOn(&r, &w, &e, nullptr); }
int select(Set& r, Set& w) { return selectOn(&r, &w, nullptr, nullptr); }
int select(Set& r) { return selectOn(&r, nullptr, nullptr, nullptr); }
int select_rd(Set& r, timeval const& timeout) { return selectOn(&r, nullptr, nullptr, &timeout); }
int select_wr(Set& w, timeval const& timeout) { return selectOn(nullptr, &w, nullptr, &timeout); }

} // namespace Mux
