// server-sim: the server's own start-up on a PC, with the simulated board
// in place of the board's drivers. It takes every option of the server and
// adds the control socket "/var/run/server-sim.ctl" (under SERVER_ROOT) for
// scripting the board; the watchdog device becomes a FIFO that the
// simulator reads. When the server has ended, the board's request log is
// written to "/var/run/server-sim.log" (under SERVER_ROOT), one request a
// line as the control socket's "log" shows them: what the server asked of
// the board on its way out can be read there once it is gone.
#include "core/CommandLine.h"
#include "core/ServerProcess.h"
#include "runtime/base/RootPath.h"
#include "sim/BoardModels.h"
#include "sim/ControlSocket.h"
#include "sim/WatchdogDevice.h"

#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>

int main(int argc, char** argv)
{
    // Options that only print, and mistakes, need no board.
    ServerOptions options;
    std::ostringstream ignored;
    if (CommandLine::parse(argc, argv, options, ignored, ignored) != CommandLine::keepRunning) {
        ServerProcess server;
        return server.run(argc, argv);
    }

    std::unique_ptr<Sim::SimulatedBoard> board = Sim::makeBoard();
    Board::install(board.get());
    std::string error;
    auto* watchdog = board->model<Sim::WatchdogDevice>("/dev/misc/gw-wd");
    if (watchdog && !watchdog->listen(error))
        std::cerr << "server-sim: " << error << std::endl;
    Sim::ControlSocket control(*board);
    std::string socketPath = rootPath("/var/run/server-sim.ctl");
    std::error_code noDirectory;
    std::filesystem::create_directories(std::filesystem::path(socketPath).parent_path(), noDirectory);
    if (control.listen(socketPath, error))
        std::clog << "server-sim: control socket " << control.path() << std::endl;
    else
        std::cerr << "server-sim: " << error << std::endl;

    int status;
    {
        ServerProcess server;
        status = server.run(argc, argv);
    }
    control.close();
    if (watchdog)
        watchdog->stop();
    std::ofstream requests(rootPath("/var/run/server-sim.log"));
    for (Sim::LogEntry const& entry : board->log())
        requests << entry << '\n';
    Board::install(nullptr);
    return status;
}
