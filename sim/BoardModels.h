#pragma once
// The whole simulated board of server-sim: one model per driver device.
#include "sim/SimulatedBoard.h"

#include <memory>

namespace Sim {

std::unique_ptr<SimulatedBoard> makeBoard();

} // namespace Sim
