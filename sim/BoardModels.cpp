#include "sim/BoardModels.h"

#include "sim/CasDevice.h"
#include "sim/HalDevice.h"
#include "sim/MaintenanceDevice.h"
#include "sim/MccDevice.h"

namespace Sim {

std::unique_ptr<SimulatedBoard> makeBoard()
{
    auto board = std::make_unique<SimulatedBoard>();
    board->add(std::make_unique<HalDevice>());
    board->add(std::make_unique<MaintenanceDevice>());
    board->add(std::make_unique<CasDevice>());
    board->add(std::make_unique<MccDevice>());
    return board;
}

} // namespace Sim
