#pragma once
// The server's command line: what it asks the start-up code to do. parse()
// reads the arguments after the program name; options that only print
// (--version, --help) and every mistake end start-up with the exit status
// the result carries, after writing their text to the given streams.
#include <iosfwd>

struct ServerOptions {
    bool daemon = false;          // --daemon, -D: detach and log to syslog
    unsigned short port = 20001;  // --port: the control TCP port
    bool disableClock = false;    // --disable-clock: the bus-clock service refuses clock commands
};

class CommandLine {
public:
    enum { keepRunning = -1 };

    // Fills options from argv[1..argc-1]. Returns keepRunning when the server
    // is to start, otherwise the exit status: 2 after "server version: " and
    // the version on out, 0 after the usage text on out for --help or -h, 2
    // after the usage text on err for an unknown option, a stray argument or
    // a port that is not a decimal number from 1 to 65535.
    static int parse(int argc, char const* const* argv, ServerOptions& options, std::ostream& out,
                     std::ostream& err);

    static void usage(std::ostream& out);
};
