#include "hardware/HwTests.h"

#include "hardware/HwMux.h"
#include "runtime/text/ExtBufInHex.h"
#include "runtime/text/ExtHeader.h"

#include <boost/cast.hpp>
#include <cstdlib>
#include <iostream>
#include <unistd.h>

namespace {

unsigned const buses = 16;
unsigned const timeslots = 128;

unsigned char patternByte()
{
    return static_cast<unsigned char>(::random() & 0xFF);
}

} // namespace

HwTests& HwTests::instance()
{
    static HwTests tests;
    return tests;
}

HwTests::HwTests(HwMux* mux) : mux_(mux) {}

HwMux& HwTests::mux() const
{
    return mux_ ? *mux_ : HwMux::instance();
}

void HwTests::PutHeader(std::ostream& out) const
{
    out << "bus " << bus_ << ": ";
}

bool HwTests::OnCommand(ZUZU::Command const& command)
{
    if (command.getSelection() != ZUZU::Command::testBpc)
        return false;
    OnTestBpc(*boost::polymorphic_downcast<ZUZU::BpcTestParams const*>(command.getValue()));
    return true;
}

void HwTests::OnTestBpc(ZUZU::BpcTestParams const& params)
{
    unsigned const bus = params.get_bus().getValue();
    unsigned const start = params.get_timeslot_start().getValue();
    unsigned const length = params.get_timeslot_length().getValue();
    // The decoder keeps these in range; a value built otherwise must not
    // send the test to channels nobody asked for. A run that goes on past
    // the last bus is carried out: the cross-connect passes those channels
    // to the device without tracking them.
    if (bus >= buses || start >= timeslots || length >= timeslots) {
        Error(ZUZU::ErrorCause::invalidParams);
        return;
    }
    bus_ = bus;
    first_ = HwMux::firstTracked + timeslots * bus + start;
    end_ = first_ + length;
    seed_ = static_cast<std::uint32_t>(params.get_seed().getValue());
    ::srandom(seed_);
    switch (params.get_mode().getSelection()) {
    case ZUZU::BpcTestMode::read:
        TestRead();
        break;
    case ZUZU::BpcTestMode::write:
        TestWrite();
        break;
    case ZUZU::BpcTestMode::disconnect:
        TestDisconnect();
        break;
    default:
        Error(ZUZU::ErrorCause::invalidParams);
        break;
    }
}

void HwTests::Compare(char const* failed, char const* expected, char const* got)
{
    for (std::uint32_t c = first_; c < end_; ++c) {
        unsigned char const want = patternByte();
        unsigned char const seen = mux().Read(static_cast<int>(c));
        if (want != seen) {
            std::cerr << ext::header(this) << failed << " on channel " << (c & 127) << ' ' << expected << ' '
                      << ext::OutBufInHex(&want, 1) << got << ' ' << ext::OutBufInHex(&seen, 1) << std::endl;
            Error(ZUZU::ErrorCause::busError);
            return;
        }
    }
    Success();
}

void HwTests::TestRead()
{
    Compare("test failed", "expected", "read");
}

void HwTests::TestWrite()
{
    for (std::uint32_t c = first_; c < end_; ++c)
        mux().Write(static_cast<int>(c), patternByte());
    ::usleep(500);
    ::srandom(seed_);
    Compare("write failed", "write", "written");
}

void HwTests::TestDisconnect()
{
    for (std::uint32_t c = first_; c < end_; ++c)
        mux().Disable(static_cast<int>(c));
    ::usleep(250);
    Success();
}
