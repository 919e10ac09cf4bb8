#pragma once
// Request numbers and record sizes of the tone DSP's driver ("/dev/dtmf"),
// shared by its front end and its simulated model.
#include <cstddef>

namespace Board {
namespace ToneDsp {

enum : unsigned long {
    DTMF_CONFIGURE_DETECTOR = 0x40144202,
    DTMF_ENABLE_DETECTOR = 0x40084203,
    DTMF_DISABLE_DETECTOR = 0x40044204,
    DTMF_DIAL = 0x400c4205,
    CHANNEL_LMS_ON = 0x40044206,
    CHANNEL_LMS_OFF = 0x40044207,
    DTMF_REJECTION_ENABLE = 0x40044209,
    DTMF_REJECTION_DISABLE = 0x4004420a,
    IVA_DETECTOR_ENABLE = 0x4004420b,
    IVA_DETECTOR_DISABLE = 0x4004420c,
    IVA_CONFIGURE_DETECTOR = 0x4008420d,
    SELCAL_DIAL = 0x400c420e,
};

// An event record: code, timeslot, timestamp, enable id.
constexpr std::size_t eventSize = 16;

} // namespace ToneDsp
} // namespace Board
