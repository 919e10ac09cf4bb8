#pragma once
// The board's TDM cross-connect on "/dev/hal": joins a source channel to an
// output channel, drives an output with a constant byte, switches an output
// off and samples the byte on a channel. The 2048 backplane bus outputs
// (8192..10239) are tracked; lower channels are switched the same way but
// not tracked. While the device is open a deferred call keeps re-issuing the
// "off" request for every tracked output held off, 128 outputs a run, since
// the switch can lose them.
//
// One instance (instance()), made by the start-up code; the device is opened
// lazily and re-tried on every request while it stays closed. Other
// instances exist only in tests.
#include "runtime/loop/Dpc.h"

#include <cstdint>
#include <iosfwd>

class HwMux {
public:
    static constexpr int firstTracked = 8192;
    static constexpr int trackedOutputs = 2048;
    // Output table entries besides a source channel.
    static constexpr std::uint16_t disabled = 0xFFFF;
    static constexpr std::uint16_t constant = 0xFFFE;
    // The A-law idle code a disconnected output carries.
    static constexpr unsigned char idle = 0xD5;

    static HwMux& instance();

    HwMux();
    ~HwMux();
    HwMux(HwMux const&) = delete;
    HwMux& operator=(HwMux const&) = delete;

    // True when the device is open, otherwise tries to open it now.
    bool IsOpened();
    // Output dst carries channel src. A tracked output refuses a source of
    // 0xFFFE or more, which its table entry could not tell from its marks.
    bool Connect(int src, int dst);
    // Output ch carries the idle byte.
    bool Disconnect(int ch);
    // Output ch is switched off.
    bool Disable(int ch);
    // Output ch carries byte.
    bool Write(int ch, unsigned char byte);
    // The byte on channel ch; 0xFF when it cannot be read.
    unsigned char Read(int ch);
    // Re-issues the "off" request for tracked output i (0..2047) when it is held off.
    void RefreshChannel(int i);
    void OnDPC();
    void Reset() {}

    // The table entry of tracked output i (0..2047).
    std::uint16_t entry(int i) const { return outputs_[i]; }
    bool refreshing() const { return refresh_.active(); }

    void PutHeader(std::ostream& out) const;

private:
    // Output ch carries byte; false (errno set) when the device refuses.
    bool Drive(int ch, unsigned char byte);
    // Output ch is one of the 2048 whose state is kept.
    static bool tracked(int ch);
    // Sets the table entry of a tracked output; others are not kept.
    void record(int ch, std::uint16_t state);

    int fd_ = -1;
    std::uint16_t outputs_[trackedOutputs];
    std::uint32_t cursor_ = 0;
    Dpc refresh_;
};
