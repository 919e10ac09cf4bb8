#pragma once
// Request numbers of the multi-channel HDLC controller ("/dev/mcc/ctl"),
// shared by the HDLC channel and its simulated model.
#include <cstddef>

namespace Board {
namespace Mcc {

enum : unsigned long {
    MCC_ALLOCATE = 0x40144d00, // 20-byte record: mode, 512, 0, 1, 4
    MCC_TIMESLOT = 0x20004d02, // no argument; the channel's TDM number
};

constexpr std::size_t allocateSize = 20;

} // namespace Mcc
} // namespace Board
