#pragma once
// The TPKT echo program (tools/tpkt_echo) run as a separate process for the
// end-to-end tests: started on an ephemeral port, its port read from the
// first line of its standard output, and stopped with SIGTERM.
#include "support/ChildProgram.h"

#include <sstream>
#include <string>

class EchoProcess {
public:
    EchoProcess()
    {
        child_.start("tools/tpkt_echo", {"--port", "0"});
        // The emulator starts slowly.
        if (child_.outShows("\n", e2e::milliseconds(30000))) {
            std::istringstream first(child_.out());
            std::string word;
            first >> word >> port_;
            if (word != "port")
                port_ = 0;
        }
    }

    // The bound port; 0 when the program did not announce one.
    unsigned port() const { return port_; }
    static bool emulated() { return e2e::emulated(); }

    // Everything written so far.
    std::string output() const { return child_.out(); }
    std::string errors() const { return child_.err(); }
    // Waits until the text has appeared on the stream.
    bool output_shows(std::string const& text, int ms = 5000) const { return child_.outShows(text, e2e::milliseconds(ms)); }
    bool errors_show(std::string const& text, int ms = 5000) const { return child_.errShows(text, e2e::milliseconds(ms)); }

    // SIGTERM; the exit code (not 0 when it had to be killed).
    int stop() { return e2e::exitCode(child_.stop(e2e::milliseconds(5000))); }

private:
    e2e::ChildProgram child_;
    unsigned port_ = 0;
};
