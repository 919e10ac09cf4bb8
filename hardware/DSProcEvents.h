#pragma once
// The events of the voice-processing DSP as its receivers get them, in host
// byte order.
#include <cstdint>

namespace Hardware {

// Voice activity per direction; -1 where the event did not cover the direction.
struct DSProcVADEvent {
    std::int32_t rx;
    std::int32_t tx;
};

struct DSProcSDEvent {
    std::int32_t sd_rx;
};

} // namespace Hardware

// The three data words of an event record, as the driver gave them.
struct dsproc_bss_event {
    float score;
    std::uint32_t data1;
    std::uint32_t data2;
};

struct dsproc_tone_event {
    std::uint32_t data[3];
};

struct dsproc_flags_event {
    std::uint32_t flags;
    std::uint32_t mask;
    std::uint32_t data;
};
