#pragma once
// A descriptor set for select() that remembers its highest descriptor, so
// the select wrappers can work out nfds themselves. Descriptors outside
// 0..FD_SETSIZE-1 cannot be held by an fd_set and are refused.
#include "runtime/base/MuxTime.h"

#include <sys/select.h>

namespace Mux {

class Set {
public:
    Set() { zero(); }

    void zero();
    // False, and the set unchanged, for a descriptor the set cannot hold.
    bool set(int fd);
    void clr(int fd);
    bool isset(int fd) const;

    // The highest descriptor added, negative when none was.
    int max() const { return max_; }
    fd_set* native() { return &fds_; }

private:
    static bool fits(int fd) { return fd >= 0 && fd < FD_SETSIZE; }

    fd_set fds_;
    int max_ = -1;
};

// The largest highest-descriptor of the sets.
int max_fd(Set const& a, Set const& b);
int max_fd(Set const& a, Set const& b, Set const& c);

// select() over the sets, with nfds worked out from them; an empty set is
// passed as none. Without a timeout the call waits without limit. The
// result is select's; on return the sets hold the ready descriptors.
int select(Set& r, Set& w, Set& e, timeval const& timeout);
int select(Set& r, Set& w, Set& e);
int select(Set& r, Set& w);
int select(Set& r);
int select_rd(Set& r, timeval const& timeout);
int select_wr(Set& w, timeval const& timeout);

} // namespace Mux
