#pragma once
// The control-link service of the board's four E1 framers (trunks 0..3).
// Once a second it reads each framer's synchronisation status from the
// maintenance driver and reports it as a `trunkStatus` signal; it keeps the
// TCLK mask (the trunks that take their timing from the line) in the same
// driver, set by `trunkCfg`; and it drives channel-associated signalling on
// the CAS driver: opening and closing CAS per trunk, configuring, setting and
// reading the signalling bits of a timeslot on a slot-less `ioctl` with the
// alternative `cas`, and reporting every received change of bits as a `cas`
// signal. Signals go out through SendSignal, so the other bound services see
// them first. One instance serves the program (`instance()`); the devices
// are opened on first use and re-tried on every use while closed.
//
// The CAS driver may close a trunk's CAS with the descriptor it was opened
// through. When the CAS descriptor is opened again after an error, every
// trunk held open is opened again on the new one, quietly for the
// controller when that works; a trunk that fails to open is marked closed
// and signalled like a failed open, so the controller knows to open it anew.
#include "protocol/CtrlSrvService.h"
#include "runtime/loop/Event.h"
#include "runtime/loop/Timer.h"

#include <cstdint>
#include <iosfwd>

// The address of one CAS channel; timeslot 0 stands for the trunk itself.
struct cas_channel {
    std::uint32_t path = 0; // trunk
    std::uint32_t timeslot = 0;
    std::uint32_t spare = 0;
};

class E1Ctl : public CtrlSrv::Service {
public:
    static constexpr unsigned trunks = 4;
    static constexpr unsigned statusPeriodMs = 1000;

    static E1Ctl& instance();

    E1Ctl();
    ~E1Ctl() override;

    void OnConnect() override;
    void OnDisconnect() override;
    // Takes `trunkCfg` and the `ioctl` commands without a slot, and answers
    // each with Success whatever the devices did.
    bool OnCommand(ZUZU::Command const& command) override;

    void OnCheckStatus(Timer*);
    void SetMode(ZUZU::TrunkCfg const& cfg);
    void UpdateTclk();
    void SendStatus();
    // The maintenance device is open (opened now when it was not).
    bool IsOpen();
    // The CAS device is open (opened now when it was not).
    bool CheckOpenCas();
    void OnUpdateCas(int fd, short revents);

    void HandleCas(ZUZU::IoctlParams const& params);
    void HandleCasOpen(cas_channel const& ch, int code);
    void HandleCasClose(cas_channel const& ch);
    void HandleCasSet(cas_channel const& ch, int value);
    void HandleCasGet(cas_channel const& ch);
    void SendCASSignal(int trunk, int timeslot, int rx, int tx);
    void SendCASTrunkStatus(int trunk, int result) { SendCASSignal(trunk, 0, result, 0); }

    // The bus clock source request; false (logged) when it fails.
    bool select_source(int source);
    static void Assign(ZUZU::CasChannel& target, cas_channel const& ch);

    // "E1: "
    void PutHeader(std::ostream& out) const;

    std::uint32_t tclk_mask() const { return tclk_; }
    bool cas_open(unsigned trunk) const { return trunk < trunks && casOpen_[trunk]; }

private:
    // The trunks whose CAS the controller may address.
    static bool casTrunk(std::uint32_t trunk) { return trunk < trunks; }
    // The get-bits request on record; signals the bits, or the failure.
    void SignalBits(cas_channel const& ch, unsigned char* record);
    // Closes the CAS descriptor after an error; the next status tick or CAS
    // command opens it again.
    void DropCas(char const* why);
    // The open trunk CAS request; the driver's result.
    int OpenTrunk(std::uint32_t trunk);
    // On a CAS descriptor opened again: the trunks held open opened again.
    void OpenTrunksAgain();

    int maintenance_ = -1;
    Timer statusTimer_;
    Event casEvent_; // owns the CAS descriptor
    bool casOpen_[trunks] = {};
    bool casDropped_ = false; // the next CAS open is a reopen
    std::uint32_t tclk_ = 0;
};
