#pragma once
// The life of the server process from start-up to exit, in this order: the
// configuration file "/usr/local/etc/server.conf" (a missing file leaves
// every default; section "traces" sets the trace switches), the signal
// handlers, the command line, daemon mode with --daemon, the pid file and
// the "Starting server " line, the services bound to the control server,
// the child-process watcher, the control-link acceptor on the control port,
// and the main loop until SIGTERM or SIGINT. Then the control server is
// deactivated, the pid file removed, and run() returns the exit status.
// One instance per process: the control server cannot unbind services.
#include "core/CommandLine.h"
#include "core/ServerSignals.h"
#include "runtime/process/IniFile.h"

#include <iosfwd>
#include <memory>

namespace Linux {
class Run;
}

class ServerProcess : private ServerSignals::Reactions {
public:
    ServerProcess();
    ~ServerProcess() override;
    ServerProcess(ServerProcess const&) = delete;
    ServerProcess& operator=(ServerProcess const&) = delete;

    int run(int argc, char const* const* argv);

    ServerOptions const& options() const { return options_; }

private:
    void readConfiguration();
    void enterBackground();
    void bindServices();
    void serve();

    void OnStop() override;
    void OnStatusDump() override;
    void OnHangup() override;

    IniFile::File config_;
    ServerSignals signals_;
    ServerOptions options_;
    std::unique_ptr<Linux::Run> pidFile_;
};
