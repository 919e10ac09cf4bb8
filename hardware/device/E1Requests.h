#pragma once
// Request numbers and record sizes of the E1 framers' maintenance driver
// ("/dev/maintenance") and the CAS driver ("/dev/e1-cas"), shared by their
// front end and their simulated models.
#include <cstddef>

namespace Board {
namespace Maintenance {

enum : unsigned long {
    STATUS = 0xc0504d03,
    TCLK_MASK = 0xc0044d0b,
    CLOCK_SOURCE = 0xc0044d0a,
};

// The status record: the trunk in word 0; the counters and the state after
// the call.
constexpr std::size_t statusSize = 80;
constexpr std::size_t slipsAt = 36, lossBFAt = 40, lossCarrierAt = 44, lossAISAt = 48, lossRAIAt = 52, stateAt = 76;

} // namespace Maintenance

namespace Cas {

enum : unsigned long {
    OPEN_TRUNK = 0x80044300,
    CLOSE_TRUNK = 0x80044301,
    SET_BITS = 0xc00c4302,
    GET_BITS = 0xc00c4303,
    CONFIGURE = 0xc0104304,
};

// The bits record (set, get, and the received-change event): trunk,
// timeslot, rx bits at 8, tx bits (or the value to set) at 9.
constexpr std::size_t bitsSize = 12;
// The configure record: the bits record's first 12 bytes (code at 9), then
// 1 = close, 0 = open.
constexpr std::size_t configureSize = 16;

} // namespace Cas
} // namespace Board
