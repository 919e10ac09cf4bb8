#include "core/CommandLine.h"

#include "runtime/process/Version.h"

#include <cstring>
#include <ostream>
#include <string>

namespace {

// A decimal port from 1 to 65535, digits only.
bool parsePort(std::string const& text, unsigned short& port)
{
    if (text.empty() || text.size() > 5)
        return false;
    unsigned long value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + static_cast<unsigned long>(c - '0');
    }
    if (value == 0 || value > 65535)
        return false;
    port = static_cast<unsigned short>(value);
    return true;
}

} // namespace

void CommandLine::usage(std::ostream& out)
{
    out << "usage: server [options]\n"
           "  -D, --daemon         detach from the terminal and log to syslog\n"
           "      --port PORT      control TCP port (default 20001)\n"
           "      --disable-clock  leave the bus clock alone and refuse clock commands\n"
           "      --version        print the version and exit\n"
           "  -h, --help           print this text and exit"
        << std::endl;
}

int CommandLine::parse(int argc, char const* const* argv, ServerOptions& options, std::ostream& out,
                       std::ostream& err)
{
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--daemon" || arg == "-D") {
            options.daemon = true;
        } else if (arg == "--disable-clock") {
            options.disableClock = true;
        } else if (arg == "--port" || arg.compare(0, 7, "--port=") == 0) {
            std::string value;
            if (arg.size() > 6)
                value = arg.substr(7);
            else if (i + 1 < argc)
                value = argv[++i];
            if (!parsePort(value, options.port)) {
                usage(err);
                return 2;
            }
        } else if (arg == "--version") {
            out << "server version: ";
            Version::current.put(out);
            out << std::endl;
            return 2;
        } else if (arg == "--help" || arg == "-h") {
            usage(out);
            return 0;
        } else {
            usage(err);
            return 2;
        }
    }
    return keepRunning;
}
