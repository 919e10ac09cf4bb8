#pragma once
// The SPI-attached line interfaces of the basic-rate trunks: eight channels
// (0..7) whose registers are reached through "/dev/hal". At start the device
// is opened and channels 0..6 are initialised and enabled; the bus-clock
// service picks which channel, if any, is the clock master; and while a
// controller is connected each channel's status register is read once a
// second and reported to every other service and to the controller as
// `trunkStatus` of type bri. It owns no controller command.
//
// A hal driver without SPI answers register requests with ENODEV: the first
// such answer switches the service off for the life of the process. At an
// orderly stop the start-up code calls Stop(), which disables the channels
// and drops the clock master.
//
// One instance (instance(), first made by the start-up code); tests make
// their own.
#include "protocol/CtrlSrvService.h"
#include "runtime/loop/Timer.h"

#include <iosfwd>

class spiCtrl : public CtrlSrv::Service {
public:
    static constexpr unsigned channels = 8;
    static constexpr unsigned statusPeriodMs = 1000;

    static spiCtrl& instance();

    spiCtrl();
    // Lets go of the descriptor; the registers are left as they are.
    ~spiCtrl() override;

    void write(unsigned ch, unsigned reg, unsigned data);
    // The register's value; 0 when it cannot be read.
    unsigned read(unsigned ch, unsigned reg);

    void init_device_and_channels();
    void init_channel(int ch);
    void enable_channel(int ch);
    void disable_channel(int ch);
    // Channel ch (0..7) is the clock master; -1: none is.
    void clock(int ch);
    // One status pass over the eight channels, then the next one is armed.
    void status();

    void OnConnect() override;
    void OnDisconnect() override;
    bool OnCommand(ZUZU::Command const&) override { return false; }

    // The orderly stop: polling ends, every channel is disabled, no channel
    // stays clock master, and the device is closed.
    void Stop();

    bool opened() const { return fd_ >= 0; }
    bool enabled() const { return enabled_; }
    bool polling() const { return !statusTimer_.empty(); }

    void PutHeader(std::ostream& out) const;

private:
    // A register request failed: ENODEV switches SPI off for good.
    // False when it did.
    bool failed(int errnum);
    void report(unsigned ch, unsigned status);
    // Writes the control register of a channel; what: "enable" or "disable".
    void switch_channel(int ch, unsigned control, char const* what);

    int fd_ = -1;
    Timer statusTimer_;
    bool enabled_ = true;
    // One per channel: a slip stays set in the status register until it is
    // read, and is counted once.
    bool slipLatch_[channels] = {};
};
