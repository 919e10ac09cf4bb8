#include "sim/BoardModels.h"

#include "sim/DtmfDevice.h"

namespace Sim {

std::unique_ptr<SimulatedBoard> makeBoard()
{
    auto board = std::make_unique<SimulatedBoard>();
    board->add(std::make_unique<DtmfDevice>());
    return board;
}

} // namespace Sim
