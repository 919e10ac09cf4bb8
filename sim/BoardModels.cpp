#include "sim/BoardModels.h"

#include "sim/HalDevice.h"

namespace Sim {

std::unique_ptr<SimulatedBoard> makeBoard()
{
    auto board = std::make_unique<SimulatedBoard>();
    board->add(std::make_unique<HalDevice>());
    return board;
}

} // namespace Sim
