#pragma once
// The real server program run for an end-to-end test (see ChildProgram), with
// the directories it writes into made in its scratch root, on a free control
// port when asked.
#include "support/ChildProgram.h"
#include "support/Loopback.h"

#include <string>
#include <vector>

namespace e2e {

class ServerUnderTest : public ChildProgram {
public:
    // The scratch root gets the directories the server writes into.
    ServerUnderTest()
    {
        root().makeDir("/var/run");
        root().makeDir("/var/log");
        root().makeDir("/usr/local/etc");
    }

    // Starts the server with these arguments after the program name.
    void start(std::vector<std::string> const& args) { ChildProgram::start("core/server", args); }

    // Starts the server on a free control port.
    unsigned short startOnFreePort(std::vector<std::string> args = {})
    {
        return startOnFreePort("core/server", std::move(args));
    }

    // Starts a program that takes the server's options ("sim/server-sim")
    // on a free control port.
    unsigned short startOnFreePort(std::string const& relative, std::vector<std::string> args)
    {
        port_ = freePort();
        args.push_back("--port");
        args.push_back(std::to_string(port_));
        ChildProgram::start(relative, args);
        return port_;
    }

    unsigned short port() const { return port_; }

    bool pidFileWritten() const
    {
        return eventually([&] { return !root().read("/var/run/server.pid").empty(); });
    }

private:
    unsigned short port_ = 0;
};

} // namespace e2e
