#pragma once
// The controller's backplane bus test (`testBpc`): writes, reads back or
// switches off a run of bus channels through the TDM cross-connect and
// compares the bytes with a pattern both ends derive from a seed: the low
// bytes of the C library's random() after srandom(seed), one per channel of
// the run. The controller (or the board that drives the bus in a read test)
// reproduces it, so the generator must be the C library's own.
//
// The run starts at 8192 + 128*bus + timeslot-start and may run on past
// timeslot 127 into the next bus, and past the last bus into channels the
// cross-connect does not track. Bound to the control server after the
// slots service. One instance (instance()); tests make their own over a
// cross-connect of their choosing.
#include "protocol/CtrlSrvService.h"

#include <cstdint>
#include <iosfwd>

class HwMux;

class HwTests : public CtrlSrv::Service {
public:
    static HwTests& instance();

    // The cross-connect the tests run through (HwMux::instance() when null).
    explicit HwTests(HwMux* mux = nullptr);

    void OnConnect() override {}
    void OnDisconnect() override {}
    // Owns `testBpc` only.
    bool OnCommand(ZUZU::Command const& command) override;

    void OnTestBpc(ZUZU::BpcTestParams const& params);
    void TestRead();
    void TestWrite();
    void TestDisconnect();

    // "bus " + the bus number + ": "
    void PutHeader(std::ostream& out) const;

private:
    HwMux& mux() const;
    // Compares the run with the pattern from the start; the failure line
    // reads "<failed> on channel <n> <expected> <xx> <got> <yy>".
    void Compare(char const* failed, char const* expected, char const* got);

    HwMux* mux_;
    std::uint32_t bus_ = 0;
    std::uint32_t first_ = 0;
    std::uint32_t end_ = 0;
    std::uint32_t seed_ = 0;
};
