#pragma once
// The clock source of the board's TDM bus: `clockCfg` from the controller
// selects it, and whenever a controller connects or goes away the bus falls
// back to the free-running clock. With --disable-clock (DisableControl) the
// service leaves the clock alone and refuses `clockCfg` as unsupported.
//
// A clock select that fails (the device cannot be opened, or refuses the
// request) answers `busError`; a configuration that selects nothing is a
// success. One instance (instance()); tests make their own.
#include "protocol/CtrlSrvService.h"

#include <iosfwd>

class spiCtrl;

// The driver's name of a clock source (0..7: "f0" .. "?2"); null for others.
char const* getclksrc_text(int source);

class BusCtl : public CtrlSrv::Service {
public:
    // The free-running clock.
    static constexpr int freeRun = 4;

    static BusCtl& instance();

    // The SPI service told when the device cannot be opened
    // (spiCtrl::instance() when null).
    explicit BusCtl(spiCtrl* spi = nullptr);
    ~BusCtl() override;

    void DisableControl();
    bool IsOpen();

    void OnConnect() override;
    void OnDisconnect() override;
    // Owns `clockCfg` only.
    bool OnCommand(ZUZU::Command const& command) override;

    void SetDefaultClock();
    // False when a source was to be selected and could not be.
    bool SetClockSrc(ZUZU::ClockCfg const& cfg);
    bool DrvSetClkSrc(int source);

    bool controlEnabled() const { return enabled_; }

    // "clkctl: "
    void PutHeader(std::ostream& out) const;

private:
    spiCtrl& spi() const;

    spiCtrl* spi_;
    int fd_ = -1;
    bool enabled_ = true;
};
