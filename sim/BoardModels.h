#pragma once
// The simulated board of server-sim: every device model the simulator
// offers, in the starting state the end-to-end tests rely on.
#include "sim/SimulatedBoard.h"

#include <memory>

namespace Sim {

std::unique_ptr<SimulatedBoard> makeBoard();

} // namespace Sim
