#include "core/ServerProcess.h"

#include "core/StatusDump.h"
#include "hardware/BusCtl.h"
#include "hardware/E1Ctl.h"
#include "hardware/HwMux.h"
#include "hardware/HwTests.h"
#include "hardware/SpiCtrl.h"
#include "protocol/CtrlSrvServer.h"
#include "protocol/HeartBeatCtl.h"
#include "runtime/link/AcceptorNetCheckConnection.h"
#include "runtime/loop/ChildWait.h"
#include "runtime/process/Daemon.h"
#include "runtime/loop/Multiplexer.h"
#include "runtime/process/PidFile.h"
#include "runtime/base/RootPath.h"
#include "runtime/process/TraceCtl.h"
#include "runtime/process/Version.h"

#include <iostream>
#include <sstream>

ServerProcess::ServerProcess() : signals_(*this) {}

ServerProcess::~ServerProcess() = default;

int ServerProcess::run(int argc, char const* const* argv)
{
    readConfiguration();
    signals_.install();
    int status = CommandLine::parse(argc, argv, options_, std::cout, std::cerr);
    if (status != CommandLine::keepRunning)
        return status;

    // The cross-connect is opened before the process detaches, as the slot
    // factories that use it would be made here.
    HwMux::instance();

    if (options_.daemon)
        enterBackground();
    pidFile_.reset(new Linux::Run("server"));
    std::clog << "Starting server ";
    Version::current.put(std::clog);
    std::clog << ", port=" << options_.port << std::endl;

    bindServices();
    ChildWait::Activate();
    serve();
    pidFile_.reset();
    return 0;
}

void ServerProcess::readConfiguration()
{
    config_.Open(rootPath("/usr/local/etc/server.conf"));
    traces.Configure(config_["traces"]);
}

void ServerProcess::enterBackground()
{
    std::ostringstream identity;
    identity << "vlm-";
    Version::current.put(identity);
    Daemon::Params params;
    params.name = identity.str();
    Daemon::Init(params);
}

// In the order commands and signals are offered to them. The slot table
// and the monitoring service are not part of this build; their commands are
// answered as unowned.
void ServerProcess::bindServices()
{
    ctrlServer.Bind(&HeartBeatCtl::instance());
    ctrlServer.Bind(&HwTests::instance());
    if (options_.disableClock)
        BusCtl::instance().DisableControl();
    ctrlServer.Bind(&BusCtl::instance());
    ctrlServer.Bind(&E1Ctl::instance());
    ctrlServer.Bind(&spiCtrl::instance());
}

void ServerProcess::serve()
{
    ctrlServer.Activate(new Control::AcceptorNetCheckConnection(options_.port));
    multiplexer.run(true, true);
    ctrlServer.Deactivate();
    // The line interfaces are left disabled, with no clock master.
    spiCtrl::instance().Stop();
}

void ServerProcess::OnStop()
{
    multiplexer.terminate();
}

void ServerProcess::OnStatusDump()
{
    StatusDump::writeFile();
}

void ServerProcess::OnHangup()
{
    // Nothing on this board reads hardware resources yet.
}
