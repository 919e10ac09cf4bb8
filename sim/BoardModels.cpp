#include "sim/BoardModels.h"

#include "sim/HalDevice.h"
#include "sim/WatchdogDevice.h"

namespace Sim {

// One line per device model.
std::unique_ptr<SimulatedBoard> makeBoard()
{
    auto board = std::make_unique<SimulatedBoard>();
    board->add(std::make_unique<HalDevice>());
    board->add(std::make_unique<WatchdogDevice>());
    return board;
}

} // namespace Sim
