#include "sim/BoardModels.h"

#include "sim/CasDevice.h"
#include "sim/DspDevice.h"
#include "sim/DtmfDevice.h"
#include "sim/HalDevice.h"
#include "sim/MaintenanceDevice.h"
#include "sim/MccDevice.h"
#include "sim/WatchdogDevice.h"

namespace Sim {

// One line per device model.
std::unique_ptr<SimulatedBoard> makeBoard()
{
    auto board = std::make_unique<SimulatedBoard>();
    board->add(std::make_unique<HalDevice>());
    board->add(std::make_unique<MaintenanceDevice>());
    board->add(std::make_unique<CasDevice>());
    board->add(std::make_unique<MccDevice>());
    board->add(std::make_unique<WatchdogDevice>());
    board->add(std::make_unique<DtmfDevice>());
    board->add(std::make_unique<DspDevice>());
    return board;
}

} // namespace Sim
