#pragma once
// Request numbers, feature numbers and event types of the voice-processing
// DSP's driver ("/dev/dsp"), shared by its front end and its simulated model.
#include <cstddef>
#include <cstdint>

namespace Board {
namespace VoiceDsp {

enum : unsigned long {
    DSPROC_CONFIGURE = 0x40146401,
    DSPROC_ENABLE = 0x400c6402,
    DSPROC_DISABLE = 0x400c6403,
    DSPROC_VERSION = 0x40046404,
};

// Feature numbers: the configure feature and the enable/disable mask bit.
constexpr std::uint32_t featureVAD = 1;
constexpr std::uint32_t featureSD = 2;
constexpr std::uint32_t featureMuteRx = 4;
constexpr std::uint32_t featureMuteTx = 8;
constexpr std::uint32_t featureBSS = 16;
constexpr std::uint32_t featureDelays = 32;
constexpr std::uint32_t featureRxGain = 64;
constexpr std::uint32_t featureNG = 128;
constexpr std::uint32_t featureToneFilter = 256;
constexpr std::uint32_t featureSelcalSh = 1024;

// Event types.
constexpr std::uint32_t eventVAD = 1;
constexpr std::uint32_t eventSD = 2;
constexpr std::uint32_t eventBSS = 16;
constexpr std::uint32_t eventToneFilter = 256;
constexpr std::uint32_t eventFlags = 512;

// An event record: timeslot, enable id, type, three data words.
constexpr std::size_t eventSize = 24;

} // namespace VoiceDsp
} // namespace Board
