#pragma once
// The client's end of the simulator's control socket: sends one line and
// collects the reply up to its closing line ("ok" or "error: ..."). Used by
// the simctl tool and by the end-to-end tests; blocking, with a time limit.
#include "runtime/base/Fd.h"

#include <string>

namespace Sim {

class ControlClient {
public:
    // Connects to the socket at the real path socketPath.
    bool connect(std::string const& socketPath);
    void close() { fd_.close(); }
    bool connected() const { return static_cast<bool>(fd_); }

    enum Result { ok, refused, failed };
    // Sends line (without its end) and waits up to limitMs for the reply.
    // reply gets every line of it, the closing one included. ok: the reply
    // ended with "ok"; refused: with "error: ..."; failed: the link broke or
    // the time ran out.
    Result ask(std::string const& line, std::string& reply, int limitMs = 5000);

private:
    Fd fd_;
    std::string pending_; // bytes received after the last reply
};

} // namespace Sim
