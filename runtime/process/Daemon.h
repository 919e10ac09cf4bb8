#pragma once
// Daemon mode: the server detaches from its terminal and sends the output of
// its three standard streams to the system log (mode 0: standard output at
// notice, standard error at err, the log stream at debug, all with facility
// daemon and the given name as identity) or to hourly log files in a
// directory (mode 1). Init does it once per process; the Sentry it makes
// lives until exit and owns what it installed.
#include <memory>
#include <string>

class LogFileStreamBuf;

namespace Daemon {

struct Params {
    Params();

    int mode;       // 0 system log, 1 hourly log files, other: only detach
    bool noChdir;   // keep the working directory instead of changing to "/"
    std::string name; // the syslog identity in mode 0, the log directory in mode 1
};

class Sentry {
public:
    // Forks into the background (the parent exits with status 0); exits
    // with status 2 after "daemon() fail!" when that fails.
    explicit Sentry(Params const& params);
    // In mode 1, detaches the three streams from the log file and closes
    // it. The syslog buffers of mode 0 stay until the process ends.
    ~Sentry();
    Sentry(Sentry const&) = delete;
    Sentry& operator=(Sentry const&) = delete;

private:
    int mode_;
    std::unique_ptr<LogFileStreamBuf> logFile_;
};

// The first call makes the process's one Sentry from params; later calls
// do nothing.
void Init(Params const& params);

} // namespace Daemon
