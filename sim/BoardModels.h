#pragma once
// The whole simulated board of server-sim: every device model in its
// starting state.
#include "sim/SimulatedBoard.h"

#include <memory>

namespace Sim {

std::unique_ptr<SimulatedBoard> makeBoard();

} // namespace Sim
