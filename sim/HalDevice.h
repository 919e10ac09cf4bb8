#pragma once
// The simulated "/dev/hal": the board's TDM cross-connect, the bus clock
// select and the registers of the eight SPI line interfaces, as far as the
// server relies on them.
//
// Cross-connect: every output channel below `channels` is switched off,
// driven by a constant byte or connected to a source channel. Reading a
// channel gives, in this order of precedence: a byte the test made it stick
// at; the constant of a constant-driven output; for a connected output, what
// its source reads; a byte a test drives on the channel (another board
// driving the bus); 0xFF, the idle bus.
//
// Clock select always succeeds and remembers the source. SPI channels 0..7
// start with status register 51 at 0xC5 (carrier and frame alignment, no
// alarm, no slip); with "no SPI" every register request fails with ENODEV,
// as on a hal driver built without SPI.
//
// Control verbs (after "hal" on the control socket):
//   drive <ch> <byte>         another party drives <byte> on channel <ch>
//   undrive <ch>              ... and stops
//   stuck <ch> <byte>         channel <ch> reads <byte> whatever drives it
//   unstuck <ch>              ... reads normally again
//   show <ch>                 "channel=<ch> output=off|constant 0xNN|source <n> read=0xNN"
//   clock                     "clock source=<n>" (-1 before any select)
//   spi-status <ch> <value>   sets status register 51 of SPI channel <ch>
//   spi-show <ch>             "spi channel=<ch>" and every register that is not 0 ("r50=128")
//   no-spi on|off             the driver has no SPI (ENODEV) / has it again
// Numbers are decimal or 0x-prefixed hexadecimal.
#include "sim/SimDevice.h"

#include <array>
#include <cstdint>
#include <map>

namespace Sim {

class HalDevice final : public Device {
public:
    // Output channels the cross-connect knows; requests for others fail
    // with EINVAL.
    static constexpr std::uint32_t channels = 16384;
    static constexpr unsigned spiChannels = 8;
    static constexpr std::uint8_t spiStatusRegister = 51;
    static constexpr std::uint8_t spiStartStatus = 0xC5;

    enum class Output { off, constant, connected };

    HalDevice();

    char const* path() const override { return "/dev/hal"; }

    void describe(unsigned long code, std::uint8_t const* record, std::size_t size, RequestNote& note) const override;
    int request(Open&, unsigned long code, std::uint8_t* record, std::size_t size, RequestNote& note) override;
    bool control(std::vector<std::string> const& words, std::ostream& reply) override;

    // Model state, for tests.
    Output output(std::uint32_t ch) const { return outputs_[ch].kind; }
    // The constant byte or the source channel of an output.
    std::uint32_t outputValue(std::uint32_t ch) const { return outputs_[ch].value; }
    std::uint8_t sample(std::uint32_t ch) const;
    void drive(std::uint32_t ch, std::uint8_t byte) { driven_[ch] = byte; }
    void undrive(std::uint32_t ch) { driven_.erase(ch); }
    void stick(std::uint32_t ch, std::uint8_t byte) { stuck_[ch] = byte; }
    void unstick(std::uint32_t ch) { stuck_.erase(ch); }
    int clockSource() const { return clockSource_; }
    std::uint8_t spiRegister(unsigned ch, unsigned reg) const { return spi_[ch][reg]; }
    void setSpiRegister(unsigned ch, unsigned reg, std::uint8_t value) { spi_[ch][reg] = value; }
    void setNoSpi(bool none) { noSpi_ = none; }

private:
    struct OutputState {
        Output kind = Output::off;
        std::uint32_t value = 0;
    };

    // Requests whose record has the size they need.
    int crossConnect(unsigned long code, std::uint8_t* record, RequestNote& note);
    int spiRequest(unsigned long code, std::uint8_t* record, RequestNote& note);
    std::uint8_t sample(std::uint32_t ch, unsigned depth) const;
    void show(std::uint32_t ch, std::ostream& reply) const;

    std::array<OutputState, channels> outputs_{};
    std::map<std::uint32_t, std::uint8_t> driven_;
    std::map<std::uint32_t, std::uint8_t> stuck_;
    int clockSource_ = -1;
    std::array<std::array<std::uint8_t, 256>, spiChannels> spi_{};
    bool noSpi_ = false;
};

} // namespace Sim
