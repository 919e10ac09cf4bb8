#include "hardware/DSProcReceiver.h"
#include "hardware/DSProcReceiverService.h"
#include "runtime/process/TraceCtl.h"
#include "sim/DspDevice.h"
#include "sim/SimulatedBoard.h"
#include "support/LoopStepper.h"
#include "support/ProtocolTestSupport.h"
#include "tests/hardware/DeviceTap.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <vector>

using Hardware::DSProcReceiver;
using Hardware::DSProcReceiverService;
using Service = DSProcReceiverService;
namespace Req = Board::VoiceDsp;
using Strings = std::vector<std::string>;

namespace {

class TestReceiver : public DSProcReceiver {
public:
    explicit TestReceiver(unsigned ts) : ts_(ts) {}
    void dsproc_vad_event(Hardware::DSProcVADEvent const& e) override { seen.push_back({"vad", e.rx, e.tx}); }
    void dsproc_bss_event(::dsproc_bss_event const* e) override
    {
        score = e->score;
        seen.push_back({"bss", 0, 0});
    }
    void dsproc_sd_event(Hardware::DSProcSDEvent const& e) override { seen.push_back({"sd", e.sd_rx, 0}); }
    void dsproc_tone_flt_event(::dsproc_tone_event const* e) override
    {
        seen.push_back({"tone", std::int32_t(e->data[0]), std::int32_t(e->data[2])});
    }
    void dsproc_flags_event(::dsproc_flags_event const* e) override
    {
        seen.push_back({"flags", std::int32_t(e->flags), std::int32_t(e->mask)});
    }
    unsigned dsproc_timeslot() const override { return ts_; }

    struct Seen {
        std::string kind;
        std::int32_t a, b;
        bool operator==(Seen const& o) const { return kind == o.kind && a == o.a && b == o.b; }
    };
    std::vector<Seen> seen;
    float score = 0;

private:
    unsigned ts_;
};

std::ostream& operator<<(std::ostream& out, TestReceiver::Seen const& s)
{
    return out << s.kind << '(' << s.a << ',' << s.b << ')';
}

class Dsproc : public TappedDevice<Sim::DspDevice, Service> {
protected:
    ~Dsproc() override { traces.signalling_events = false; }

    std::vector<Tap::Call> requests(unsigned long code) const { return tap->calls_of(code); }
};

ZUZU::VADParams vadV1()
{
    ZUZU::VADParams p;
    p.select(ZUZU::VADParams::v1);
    return p;
}

ZUZU::VADParams vadV2(int voice, int silence, int energy)
{
    ZUZU::VADParams p;
    p.select(ZUZU::VADParams::v2);
    auto& v2 = dynamic_cast<TERM::VADParamsV2&>(*p.getValue());
    v2.set_voice_th_msec(voice);
    v2.set_silence_th_msec(silence);
    v2.set_e_th_dB(energy);
    return p;
}

TEST_F(Dsproc, every_request_sends_its_record_byte_for_byte)
{
    TestReceiver r(5);
    struct Case {
        char const* what;
        int version;
        std::function<bool()> action;
        unsigned long code;
        std::vector<std::uint8_t> bytes;
    };
    std::vector<Case> const cases = {
        {"VAD version 2", 2, [&] { return r.configureVAD(vadV2(300, 0x1234, -30)); }, Req::DSPROC_CONFIGURE,
         be32s({5, 1, 0x012C1234, 0xE2000000, 0})},
        {"VAD version 1", 1, [&] { return r.configureVAD(vadV1()); }, Req::DSPROC_CONFIGURE,
         be32s({5, 1, 3, 127, 0})},
        {"VAD version 1 ignores v2 values", 1, [&] { return r.configureVAD(vadV2(1, 2, 3)); },
         Req::DSPROC_CONFIGURE, be32s({5, 1, 3, 127, 0})},
        {"SD", 2, [&] { return r.configureSD(); }, Req::DSPROC_CONFIGURE, be32s({5, 2, 0, 0, 0})},
        {"delays", 2, [&] { return r.configureDelays(10, 20, 30); }, Req::DSPROC_CONFIGURE,
         be32s({5, 32, 10, 20, 30})},
        {"rx gain", 2, [&] { return r.configureRxGain(-3); }, Req::DSPROC_CONFIGURE,
         be32s({5, 64, 0xFD000000, 0, 0})},
        {"tone filter", 2, [&] { return r.configureToneFilter(1000, true, 20, -10); }, Req::DSPROC_CONFIGURE,
         be32s({5, 256, 0x03E80100, 0x0014F600, 0})},
        {"enable VAD", 2, [&] { return r.enableVAD(true); }, Req::DSPROC_ENABLE, be32s({5, 1, 1})},
        {"disable VAD", 2, [&] { return r.disableVAD(); }, Req::DSPROC_DISABLE, be32s({5, 0, 1})},
        {"enable BSS", 2, [&] { return r.enableBSS(true); }, Req::DSPROC_ENABLE, be32s({5, 2, 16})},
        {"enable NG", 2, [&] { return r.enableNG(true); }, Req::DSPROC_ENABLE, be32s({5, 3, 128})},
        {"enable SELCAL_SH", 2, [&] { return r.enableSelcalSh(true); }, Req::DSPROC_ENABLE, be32s({5, 4, 1024})},
        {"enable SD", 2, [&] { return r.enableSD(true); }, Req::DSPROC_ENABLE, be32s({5, 5, 2})},
        {"mute rx", 2, [&] { return r.enableMute(true, false); }, Req::DSPROC_ENABLE, be32s({5, 6, 4})},
        {"mute both", 2, [&] { return r.enableMute(true, true); }, Req::DSPROC_ENABLE, be32s({5, 7, 12})},
        {"mute off", 2, [&] { return r.disableMute(); }, Req::DSPROC_DISABLE, be32s({5, 0, 12})},
        {"disable all tone", 2, [&] { return r.disableToneAll(); }, Req::DSPROC_DISABLE, be32s({5, 0, 256})},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.what);
        tap->model.set_version(c.version);
        tap->calls.clear();
        ASSERT_TRUE(c.action());
        auto sent = requests(c.code);
        ASSERT_EQ(sent.size(), 1u);
        EXPECT_EQ(sent[0].bytes, c.bytes);
    }
}

TEST_F(Dsproc, log_lines_of_success_and_failure)
{
    TestReceiver r(7);
    struct Case {
        char const* what;
        std::function<bool()> action;
        bool fail;
        std::string cerr;
        std::string clog;
    };
    std::string const eio = " errno=\"Input/output error\"\n";
    std::vector<Case> const cases = {
        {"VAD", [&] { return r.configureVAD(vadV2(1, 2, 3)); }, false, "", "DSPROC_CONFIGURE VAD ts=7\n"},
        {"SD", [&] { return r.configureSD(); }, false, "", "DSPROC_CONFIGURE SD ts=7\n"},
        {"SD fails", [&] { return r.configureSD(); }, true, "DSPROC_CONFIGURE SD fail: timeslot=7" + eio, ""},
        {"delays", [&] { return r.configureDelays(1, 2, 3); }, false, "",
         "DSPROC_CONFIGURE DELAYS ts=7 rx=1 tx=2 selcal=3\n"},
        {"delays fail", [&] { return r.configureDelays(1, 2, 3); }, true,
         "DSPROC_CONFIGURE DELAYS fail: timeslot=7" + eio, ""},
        {"gain", [&] { return r.configureRxGain(-6); }, false, "", "DSPROC_CONFIGURE RX GAIN ts=7 gain_dB=-6\n"},
        {"gain fails", [&] { return r.configureRxGain(-6); }, true, "DSPROC_CONFIGURE Rx Gain fail: timeslot=7" + eio,
         ""},
        {"tone filter", [&] { return r.configureToneFilter(2100, true, 40, -20); }, false, "",
         "DSPROC_CONFIGURE TONE FILTER ts=7 freq=2100, en=1, dur_th_msec=40, det_lvl_dB=-20\n"},
        {"tone filter fails", [&] { return r.configureToneFilter(2100, false, 40, -20); }, true,
         "DSPROC_CONFIGURE Tone Filter fail: timeslot=7" + eio, ""},
        {"VAD on fails", [&] { return r.enableVAD(true); }, true, "DSPROC_ENABLE VAD fail: timeslot=7 id=1" + eio, ""},
        {"VAD on", [&] { return r.enableVAD(true); }, false, "DSPROC_ENABLE VAD done: timeslot=7 id=2\n", ""},
        {"VAD off fails", [&] { return r.disableVAD(); }, true, "DSPROC_DISABLE VAD fail: timeslot=7" + eio, ""},
        {"VAD off", [&] { return r.disableVAD(); }, false, "DSPROC_DISABLE VAD done: timeslot=7\n", ""},
        {"BSS on", [&] { return r.enableBSS(true); }, false, "DSPROC_ENABLE BSS done: timeslot=7 id=3\n", ""},
        {"NG on", [&] { return r.enableNG(true); }, false, "DSPROC_ENABLE NG done: timeslot=7 id=4\n", ""},
        {"SELCAL_SH on fails", [&] { return r.enableSelcalSh(true); }, true,
         "DSPROC_ENABLE SELCAL_SH fail: timeslot=7 id=5" + eio, ""},
        {"SD off", [&] { return r.disableSD(); }, false, "DSPROC_DISABLE SD done: timeslot=7\n", ""},
        {"mute", [&] { return r.enableMute(false, true); }, false, "DSPROC_ENABLE MUTE done: timeslot=7 id=6\n", ""},
        {"mute off fails", [&] { return r.disableMute(); }, true, "DSPROC_DISABLE MUTE fail: timeslot=7" + eio, ""},
        {"all tone", [&] { return r.disableToneAll(); }, false, "", "DISABLE ALL TONE done:  ts=7\n"},
        {"all tone fails", [&] { return r.disableToneAll(); }, true, "Disable All Tone fail: timeslot=7" + eio, ""},
    };
    service();
    for (auto const& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.fail)
            board.fail_next("/dev/dsp", 1);
        StreamCapture err(std::cerr), log(std::clog);
        EXPECT_EQ(c.action(), !c.fail);
        EXPECT_EQ(err.text(), c.cerr);
        EXPECT_EQ(log.text(), c.clog);
    }
    EXPECT_EQ(r.vad().state, 0);
    EXPECT_EQ(r.selcal_sh().state, 0);
    EXPECT_EQ(r.mute_rx(), 0);
    EXPECT_EQ(r.mute_tx(), 1);
}

TEST_F(Dsproc, the_vad_configuration_needs_the_interface_version)
{
    TestReceiver r(4);
    service();
    {
        // A failed version request is a failure, not the version-1 defaults.
        board.fail_next("/dev/dsp", 1);
        StreamCapture err(std::cerr);
        EXPECT_FALSE(r.configureVAD(vadV1()));
        EXPECT_EQ(err.text(), "DSPROC_CONFIGURE VAD fail: timeslot=4 errno=\"Input/output error\"\n");
    }
    {
        StreamCapture err(std::cerr);
        EXPECT_FALSE(r.configureVAD(vadV1()));
        EXPECT_EQ(err.text(), "DSPROC_CONFIGURE VAD: params not specified for v2:  timeslot=4\n");
    }
    {
        tap->model.set_version(1);
        StreamCapture err(std::cerr);
        EXPECT_TRUE(r.configureVAD(vadV1()));
        EXPECT_EQ(err.text(), "");
    }
    EXPECT_EQ(requests(Req::DSPROC_CONFIGURE).size(), 1u);
    // The failing version request never reached the driver.
    EXPECT_EQ(requests(Req::DSPROC_VERSION).size(), 2u);
}

TEST_F(Dsproc, a_missing_device_fails_every_request_and_configure_tries_to_open_it_again)
{
    board.set_missing("/dev/dsp", true);
    TestReceiver r(3);
    {
        StreamCapture err(std::cerr);
        service();
        EXPECT_EQ(err.text(), "open dsproc fail, VAD proceeding disabled: No such file or directory\n");
    }
    struct Case {
        std::function<bool()> action;
        std::string line;
    };
    std::string const open = "open dsproc fail, VAD proceeding disabled: No such file or directory\n";
    std::vector<Case> const cases = {
        {[&] { return r.configureVAD(vadV1()); }, open + "configure VAD fail: (interface not opened) timeslot=3\n"},
        {[&] { return r.configureSD(); }, open + "configure SD fail: (interface not opened) timeslot=3\n"},
        {[&] { return r.configureDelays(1, 1, 1); }, open + "configure Delays fail: (interface not opened) timeslot=3\n"},
        {[&] { return r.configureRxGain(1); }, open + "Configure Rx gain fail: (interface not opened) timeslot=3\n"},
        {[&] { return r.configureToneFilter(1, true, 1, 1); },
         open + "Configure Tone Filter fail: (interface not opened) timeslot=3\n"},
        {[&] { return r.disableToneAll(); }, open + "Disable All Tone fail: (interface not opened) timeslot=3\n"},
        {[&] { return r.enableVAD(true); },
         "DSPROC_ENABLE VAD fail: timeslot=3 id=1 errno=\"Bad file descriptor\"\n"},
    };
    for (auto const& c : cases) {
        StreamCapture err(std::cerr);
        EXPECT_FALSE(c.action());
        EXPECT_EQ(err.text(), c.line);
    }
    EXPECT_EQ(board.log_of("/dev/dsp", "open").size(), 7u);
    board.set_missing("/dev/dsp", false);
    EXPECT_TRUE(r.configureSD());
}

TEST_F(Dsproc, enables_send_only_what_changes_the_state)
{
    TestReceiver r(2);
    EXPECT_TRUE(r.enableBSS(false)); // starts off: nothing to send
    EXPECT_TRUE(requests(Req::DSPROC_DISABLE).empty());
    EXPECT_TRUE(r.enableVAD(false)); // starts unknown: sent
    EXPECT_EQ(requests(Req::DSPROC_DISABLE).size(), 1u);
    EXPECT_TRUE(r.enableVAD(false));
    EXPECT_EQ(requests(Req::DSPROC_DISABLE).size(), 1u);

    tap->calls.clear();
    EXPECT_TRUE(r.enableSelcalSh(true));
    EXPECT_TRUE(r.enableSelcalSh(false));
    EXPECT_TRUE(r.enableSelcalSh(true));
    EXPECT_EQ(tap->calls.size(), 3u);
    EXPECT_EQ(r.ng().state, 0);
    EXPECT_EQ(r.selcal_sh().id, 2u);

    tap->calls.clear();
    EXPECT_TRUE(r.enableMute(true, false));
    EXPECT_TRUE(r.enableMute(true, false));
    EXPECT_EQ(tap->calls.size(), 1u);
    EXPECT_EQ(r.mute_id(), 3u);
}

TEST_F(Dsproc, events_reach_the_receiver_only_for_what_it_enabled)
{
    traces.signalling_events = true;
    TestReceiver r(6), later(6);
    ASSERT_TRUE(r.enableVAD(true));  // id 1
    ASSERT_TRUE(r.disableVAD());
    ASSERT_TRUE(r.enableVAD(true));  // id 2
    ASSERT_TRUE(r.enableBSS(true));  // id 3
    ASSERT_TRUE(r.enableSD(true));   // id 4
    auto& dsp = tap->model;
    float const score = 0.75f;
    std::uint32_t scoreBits;
    std::memcpy(&scoreBits, &score, 4);
    dsp.queue(6, 2, 1, 2, 11, 22);      // VAD tx only
    dsp.queue(6, 2, 1, 3, 11, 22);      // VAD both
    dsp.queue(6, 1, 1, 3, 11, 22);      // earlier id: dropped
    dsp.queue(6, 99, 16, scoreBits, 0, 0); // BSS: any id
    dsp.queue(6, 4, 2, 5, 0, 0);        // SD
    dsp.queue(6, 3, 2, 5, 0, 0);        // SD with BSS's id: dropped
    dsp.queue(6, 0, 256, 7, 8, 9);      // tone filter, no check
    dsp.queue(6, 0, 512, 0x30, 0xF0, 0); // flags, no check
    dsp.queue(6, 0, 77, 0, 0, 0);       // unknown type: nothing
    dsp.queue(8, 0, 1, 1, 1, 1);        // nobody's timeslot
    StreamCapture err(std::cerr), log(std::clog);
    deliver();
    std::vector<TestReceiver::Seen> const expected = {{"vad", -1, 22}, {"vad", 11, 22}, {"bss", 0, 0},
                                                      {"sd", 5, 0},    {"tone", 7, 9},   {"flags", 0x30, 0xF0}};
    EXPECT_EQ(r.seen, expected);
    EXPECT_FLOAT_EQ(r.score, 0.75f);
    EXPECT_TRUE(later.seen.empty());
    EXPECT_EQ(log.text(), "dsproc event:  timeslot=6 id=2 type=1\n"
                          "dsproc vad event:  dir_mask=2 vad_rx=11 vad_tx=22\n"
                          "dsproc event:  timeslot=6 id=2 type=1\n"
                          "dsproc vad event:  dir_mask=3 vad_rx=11 vad_tx=22\n"
                          "dsproc event:  timeslot=6 id=1 type=1\n"
                          "dsproc vad event:  dir_mask=3 vad_rx=11 vad_tx=22\n"
                          "ignore spurious dsproc vad event:  timeslot=6 id=1 type=1 rid=2\n"
                          "dsproc event:  timeslot=6 id=99 type=16\n"
                          "dsproc bss event:  score=0.75\n"
                          "dsproc event:  timeslot=6 id=4 type=2\n"
                          "dsproc sd event:  sd_rx=5\n"
                          "dsproc event:  timeslot=6 id=3 type=2\n"
                          "dsproc sd event:  sd_rx=5\n"
                          "ignore spurious dsproc vad event:  timeslot=6 id=3 type=2 rid=4\n"
                          "dsproc event:  timeslot=6 id=0 type=256\n"
                          "dsproc event:  timeslot=6 id=0 type=512\n"
                          "dsproc flags event:  flags=0x30, mask=0xF0\n"
                          "dsproc event:  timeslot=6 id=0 type=77\n"
                          "dsproc event:  timeslot=8 id=0 type=1\n"
                          "dsproc vad event:  dir_mask=1 vad_rx=1 vad_tx=1\n");
    EXPECT_EQ(err.text(), "receive dsproc event from unknown timeslot 8\n");
}

TEST_F(Dsproc, events_of_features_that_are_off_are_dropped)
{
    traces.signalling_events = true;
    TestReceiver r(6);
    ASSERT_TRUE(r.disableVAD());
    ASSERT_TRUE(r.disableSD());
    tap->model.queue(6, 0, 1, 1, 1, 1);
    tap->model.queue(6, 0, 2, 1, 0, 0);
    tap->model.queue(6, 0, 16, 0, 0, 0);
    StreamCapture log(std::clog);
    deliver();
    EXPECT_TRUE(r.seen.empty());
    EXPECT_EQ(occurrences(log.text(), "ignore spurious dsproc vad event (dsproc disabled):  timeslot=6 id=0 type="),
              2);
    EXPECT_EQ(occurrences(log.text(), "ignore spurious dsproc bss event (dsproc disabled):  timeslot=6 id=0 type=16"),
              1);
}

TEST_F(Dsproc, without_the_trace_switch_routing_is_silent_and_unknown_states_count_as_on)
{
    TestReceiver r(6);
    service();
    tap->model.queue(6, 0, 1, 1, 4, 0); // VAD never switched: id 0 matches
    tap->model.queue(6, 5, 1, 1, 4, 0); // but not another id
    tap->model.queue(9, 0, 1, 1, 4, 0);
    StreamCapture err(std::cerr), log(std::clog);
    deliver();
    std::vector<TestReceiver::Seen> const expected = {{"vad", 4, -1}};
    EXPECT_EQ(r.seen, expected);
    EXPECT_EQ(err.text(), "");
    EXPECT_EQ(log.text(), "");
}

TEST_F(Dsproc, short_records_are_dropped_and_a_failing_device_is_reopened_later)
{
    TestReceiver r(6);
    service();
    tap->model.queue_raw(std::vector<std::uint8_t>(20, 0));
    tap->model.queue(6, 0, 256, 1, 2, 3);
    {
        StreamCapture err(std::cerr);
        deliver();
        EXPECT_EQ(err.text(), "short dsproc event record dropped: 20 bytes\n");
    }
    EXPECT_EQ(r.seen.size(), 1u);
    board.break_opens("/dev/dsp");
    StreamCapture err(std::cerr);
    deliver();
    EXPECT_EQ(err.text(), "fail to read from dsproc: Input/output error\n"
                          "dsproc device failure: device closed, open again in 1000 ms\n");
    stepper.advance(1000);
    EXPECT_TRUE(service().is_open());
}

TEST_F(Dsproc, a_reopened_device_gets_the_features_enabled_again_with_their_ids)
{
    TestReceiver r(3), other(4);
    ASSERT_TRUE(r.enableVAD(true));          // id 1
    ASSERT_TRUE(r.enableBSS(true));          // id 2
    ASSERT_TRUE(r.enableMute(true, false));  // id 3
    ASSERT_TRUE(r.enableNG(true));           // id 4
    ASSERT_TRUE(r.disableNG());
    ASSERT_TRUE(other.enableSelcalSh(true)); // id 5
    ASSERT_TRUE(other.enableSD(true));       // id 6
    hangUp();
    // The driver let them go with the descriptor.
    EXPECT_EQ(tap->model.timeslot(3).enabled, 0u);
    EXPECT_EQ(tap->model.timeslot(4).enabled, 0u);
    logged();
    StreamCapture err(std::cerr), log(std::clog);
    stepper.advance(1000);
    EXPECT_EQ(logged(), Strings({"DSPROC_ENABLE ts=3 id=1 mask=1 -> 0", "DSPROC_ENABLE ts=3 id=2 mask=16 -> 0",
                                 "DSPROC_ENABLE ts=3 id=3 mask=4 -> 0", "DSPROC_ENABLE ts=4 id=5 mask=1024 -> 0",
                                 "DSPROC_ENABLE ts=4 id=6 mask=2 -> 0"}));
    EXPECT_EQ(err.text(), "dsproc device opened again: 5 enabled again, 0 failed\n");
    EXPECT_EQ(tap->model.timeslot(3).enabled, Req::featureVAD | Req::featureBSS | Req::featureMuteRx);
    EXPECT_EQ(tap->model.timeslot(4).enabled, Req::featureSelcalSh | Req::featureSD);
    // Events under the old ids still reach the receiver.
    tap->model.queue(3, 1, 1, 1, 8, 0);
    deliver();
    EXPECT_EQ(r.seen, (std::vector<TestReceiver::Seen>{{"vad", 8, -1}}));
}

TEST_F(Dsproc, a_feature_that_fails_to_come_back_is_marked_off_and_enabled_afresh_on_request)
{
    TestReceiver r(3), other(4);
    ASSERT_TRUE(r.enableVAD(true));        // id 1
    ASSERT_TRUE(r.enableMute(true, true)); // id 2
    ASSERT_TRUE(other.enableBSS(true));    // id 3
    hangUp();
    board.fail_next("/dev/dsp", 2);
    StreamCapture err(std::cerr), log(std::clog);
    stepper.advance(1000);
    EXPECT_EQ(err.text(), "dsproc device opened again: 1 enabled again, 2 failed\n");
    EXPECT_EQ(r.vad().state, 0);
    EXPECT_EQ(r.mute_rx(), 0);
    EXPECT_EQ(r.mute_tx(), 0);
    EXPECT_EQ(other.bss().state, 1);
    // The slot's next enables are sent, under new ids.
    logged();
    EXPECT_TRUE(r.enableVAD(true));
    EXPECT_TRUE(r.enableMute(false, true));
    EXPECT_EQ(logged(), Strings({"DSPROC_ENABLE ts=3 id=4 mask=1 -> 0", "DSPROC_ENABLE ts=3 id=5 mask=8 -> 0"}));
}

TEST_F(Dsproc, a_pass_reads_at_most_its_share_of_records_and_leaves_the_rest_for_the_next)
{
    TestReceiver r(6);
    service();
    unsigned const share = Service::maxRecordsPerPass;
    for (unsigned i = 0; i < share + 44; ++i)
        tap->model.queue(6, 0, 256, i, 0, 0);
    deliver();
    EXPECT_EQ(r.seen.size(), share);
    EXPECT_EQ(tap->model.queued(), 44u);
    deliver();
    ASSERT_EQ(r.seen.size(), share + 44);
    EXPECT_EQ(r.seen.back(), (TestReceiver::Seen{"tone", std::int32_t(share + 43), 0}));
}

TEST_F(Dsproc, clean_before_destroy_switches_off_what_was_set)
{
    TestReceiver r(3);
    ASSERT_TRUE(r.enableVAD(true));
    ASSERT_TRUE(r.enableBSS(true));
    ASSERT_TRUE(r.enableNG(true));
    ASSERT_TRUE(r.enableSelcalSh(true));
    ASSERT_TRUE(r.enableSD(true));
    ASSERT_TRUE(r.enableMute(true, true));
    ASSERT_TRUE(r.configureDelays(1, 0, 0));
    ASSERT_TRUE(r.configureRxGain(2));
    tap->calls.clear();
    r.CleanBeforeDestroy();
    std::vector<std::vector<std::uint8_t>> sent;
    for (auto const& call : tap->calls)
        sent.push_back(call.bytes);
    std::vector<std::vector<std::uint8_t>> const expected = {
        be32s({3, 0, 1}), be32s({3, 0, 16}), be32s({3, 0, 128}), be32s({3, 0, 1024}), be32s({3, 32, 0, 0, 0}),
        be32s({3, 64, 0, 0, 0}), be32s({3, 0, 256})};
    EXPECT_EQ(sent, expected);

    // Delays and gain set back to zero are not sent again.
    ASSERT_TRUE(r.configureDelays(0, 0, 0));
    EXPECT_FALSE(r.delays_set());
    tap->calls.clear();
    r.CleanBeforeDestroy();
    ASSERT_EQ(tap->calls.size(), 1u);
    EXPECT_EQ(tap->calls[0].bytes, be32s({3, 0, 256}));
}

} // namespace
