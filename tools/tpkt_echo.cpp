// A TPKT echo server over the message-connection stack of the control link:
// listens like the control link (one peer at a time, connection check) and
// sends every received TPKT payload back as one frame. Used by the
// end-to-end tests and for trying a controller's framing by hand.
//
//     tpkt_echo [--port P]     P = 0 (the default) lets the system choose
//
// The first line on standard output is "port <P>" with the bound port; the
// connection's own log lines follow. Runs until SIGTERM or SIGINT.
#include "runtime/link/AcceptorNetCheckConnection.h"
#include "runtime/loop/Multiplexer.h"
#include "runtime/loop/Signal.h"
#include "runtime/loop/Timer.h"
#include "tools/EchoReceiver.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>

namespace {

// Announces the port once the listener is bound (a port in use is retried).
class PortAnnouncer {
public:
    explicit PortAnnouncer(Control::AcceptorNet const& acceptor) : acceptor_(acceptor) { check(); }

private:
    void check()
    {
        if (unsigned port = acceptor_.bound_port()) {
            std::cout << "port " << port << std::endl;
            return;
        }
        timer_.set(100, &PortAnnouncer::check, this);
    }

    Control::AcceptorNet const& acceptor_;
    Timer timer_;
};

void stop(int) { multiplexer.terminate(); }

bool parsePort(int argc, char** argv, int& port)
{
    port = 0;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--port") != 0 || i + 1 >= argc)
            return false;
        char* end = nullptr;
        errno = 0;
        long const value = std::strtol(argv[++i], &end, 10);
        if (errno != 0 || *end != '\0' || end == argv[i] || value < 0 || value > 65535)
            return false;
        port = static_cast<int>(value);
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    int port = 0;
    if (!parsePort(argc, argv, port)) {
        std::cerr << "usage: tpkt_echo [--port P]" << std::endl;
        return 2;
    }
    IPC::Signal::handle(SIGTERM, stop, 0);
    IPC::Signal::handle(SIGINT, stop, 0);

    Control::AcceptorNetCheckConnection link(port);
    EchoReceiver echo(link);
    link.service_name("echo");
    link.Bind(&echo);
    if (!link.Activate())
        return 1;
    PortAnnouncer announcer(link);
    multiplexer.run(false, true);
    link.Deactivate();
    link.UnBind();
    return 0;
}
