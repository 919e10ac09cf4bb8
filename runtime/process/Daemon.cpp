#include "runtime/process/Daemon.h"

#include "runtime/process/LogFileStreamBuf.h"
#include "runtime/base/RootPath.h"
#include "runtime/process/SysLogManager.h"
#include "runtime/process/SysLogStreamBuf.h"

#include <cstdlib>
#include <cstring>
#include <iostream>
#include <unistd.h>

namespace Daemon {

namespace {

int const FacilityDaemon = 24;
int const SeverityErr = 3;
int const SeverityNotice = 5;
int const SeverityDebug = 7;

// The syslog client keeps this identity for the rest of the process.
char identity[80];

void logToSystemLog(std::string const& name)
{
    std::strncpy(identity, name.c_str(), sizeof identity - 1);
    identity[sizeof identity - 1] = '\0';
    syslogManager.openlog(identity, SysLogManager::OptionNoDelay, 0);

    // Installed for good: whatever runs at exit may still write a line.
    std::cout.rdbuf(new ManagedSysLogStreamBuf(FacilityDaemon, SeverityNotice));
    std::cerr.rdbuf(new ManagedSysLogStreamBuf(FacilityDaemon, SeverityErr));
    std::clog.rdbuf(new ManagedSysLogStreamBuf(FacilityDaemon, SeverityDebug));
    std::cin.tie(&std::cout);

    // Text written straight to descriptors 1 and 2, by the C library or by
    // child processes, goes to the log socket rather than the null device.
    int fd = syslogManager.descriptor();
    if (fd > 0) {
        ::dup2(fd, 1);
        ::dup2(fd, 2);
    }
}

} // namespace

Params::Params() : mode(0), noChdir(false), name("unknown") {}

Sentry::Sentry(Params const& params) : mode_(params.mode)
{
    if (::daemon(params.noChdir ? 1 : 0, 0) != 0) {
        std::cerr << "daemon() fail!" << std::endl;
        std::exit(2);
    }
    if (mode_ == 0) {
        logToSystemLog(params.name);
    } else if (mode_ == 1) {
        logFile_.reset(new LogFileStreamBuf(rootPath(params.name)));
        std::cout.rdbuf(logFile_.get());
        std::cerr.rdbuf(logFile_.get());
        std::clog.rdbuf(logFile_.get());
    }
}

Sentry::~Sentry()
{
    if (mode_ != 1)
        return;
    std::cout.rdbuf(nullptr);
    std::cerr.rdbuf(nullptr);
    std::clog.rdbuf(nullptr);
    logFile_.reset();
}

void Init(Params const& params)
{
    static Sentry sentry(params);
}

} // namespace Daemon
