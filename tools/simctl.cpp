// simctl: one line to the simulated board of a running server-sim, through
// its control socket, and the reply on standard output.
//
//     simctl [--socket PATH] WORDS...      e.g. simctl hal spi-status 3 0x85
//     simctl [--socket PATH] < lines       one command per line
//
// The socket defaults to $SERVER_ROOT/var/run/server-sim.ctl. Exit status 0
// when every command was answered "ok", 1 when one was refused or the link
// failed, 2 for a usage mistake.
#include "runtime/base/RootPath.h"
#include "sim/ControlClient.h"

#include <iostream>
#include <string>

int main(int argc, char** argv)
{
    std::string socketPath = rootPath("/var/run/server-sim.ctl");
    std::string words;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--socket" && i + 1 < argc && words.empty()) {
            socketPath = argv[++i];
        } else if ((arg == "--help" || arg == "-h") && words.empty()) {
            std::cout << "usage: simctl [--socket PATH] [WORDS...]\n";
            return 0;
        } else {
            words += (words.empty() ? "" : " ") + arg;
        }
    }
    Sim::ControlClient client;
    if (!client.connect(socketPath)) {
        std::cerr << "simctl: can't connect to " << socketPath << std::endl;
        return 1;
    }
    int status = 0;
    auto run = [&](std::string const& line) {
        std::string reply;
        Sim::ControlClient::Result result = client.ask(line, reply);
        std::cout << reply << std::flush;
        if (result == Sim::ControlClient::failed)
            std::cerr << "simctl: no reply to: " << line << std::endl;
        if (result != Sim::ControlClient::ok)
            status = 1;
        return result != Sim::ControlClient::failed;
    };
    if (!words.empty()) {
        run(words);
        return status;
    }
    for (std::string line; std::getline(std::cin, line);) {
        if (line.find_first_not_of(" \t\r") == std::string::npos)
            continue;
        if (!run(line))
            break;
    }
    return status;
}
