#include "hardware/EnableIds.h"
#include "hardware/TonecReceiver.h"
#include "hardware/TonecReceiverService.h"
#include "sim/DtmfDevice.h"
#include "sim/SimulatedBoard.h"
#include "support/LoopStepper.h"
#include "support/ProtocolTestSupport.h"
#include "tests/hardware/DeviceTap.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

using Hardware::TonecReceiver;
using Hardware::TonecReceiverService;
using Service = TonecReceiverService;
namespace Req = Board::ToneDsp;
using Strings = std::vector<std::string>;

namespace {

class TestReceiver : public TonecReceiver {
public:
    explicit TestReceiver(unsigned ts) : ts_(ts) {}
    void tonec_event(Params const& p) override { events.push_back(p); }
    unsigned tonec_timeslot() const override { return ts_; }
    void tone_gen_complete() override { ++completed; }

    std::vector<Params> events;
    int completed = 0;

private:
    unsigned ts_;
};

class Tonec : public TappedDevice<Sim::DtmfDevice, Service> {
protected:
    std::vector<std::uint8_t> dial(unsigned ts, std::uint16_t f1, std::uint16_t f2, std::uint16_t l1, std::uint16_t l2)
    {
        return {0, 0, 0, static_cast<std::uint8_t>(ts), std::uint8_t(f1 >> 8), std::uint8_t(f1), std::uint8_t(f2 >> 8),
                std::uint8_t(f2), std::uint8_t(l1 >> 8), std::uint8_t(l1), std::uint8_t(l2 >> 8), std::uint8_t(l2)};
    }
    // The generator settings sent, as {ms since start, record}.
    std::vector<std::pair<std::uint32_t, std::vector<std::uint8_t>>> dials()
    {
        std::vector<std::pair<std::uint32_t, std::vector<std::uint8_t>>> out;
        for (auto const& call : tap->calls_of(Req::DTMF_DIAL))
            out.push_back({call.ms - start, call.bytes});
        return out;
    }

    std::uint32_t start = stepper.now();
};

ZUZU::DTMFParams dtmfParams(unsigned twist, unsigned ratio, unsigned noise, unsigned silence)
{
    ZUZU::DTMFParams p;
    p.ref_threshold().set_twist(twist);
    p.ref_threshold().set_ratio(ratio);
    p.ref_threshold().set_noise(noise);
    p.ref_level().set_silence(silence);
    return p;
}

ZUZU::IVAParams ivaParams(int level)
{
    ZUZU::IVAParams p;
    p.set_det_lvl_dB(level);
    return p;
}

TERM::SelcalCommand selcal(std::string const& signs, int amp = -1)
{
    TERM::SelcalCommand c;
    c.set_signs(signs);
    if (amp >= 0)
        c.set_amp(amp);
    return c;
}

ZUZU::TranslateDtmfParams digits(std::vector<std::pair<int, int>> const& tones)
{
    ZUZU::TranslateDtmfParams p;
    for (auto [f1, f2] : tones) {
        ZUZU::DualTone t;
        t.set_freq1(f1);
        t.set_freq2(f2);
        p.ref_digits().push_back(t);
    }
    return p;
}

TEST_F(Tonec, every_request_sends_its_record_byte_for_byte)
{
    TestReceiver r(5);
    struct Case {
        char const* what;
        std::function<bool()> action;
        unsigned long code;
        std::vector<std::uint8_t> bytes; // empty: the timeslot passed as value
    };
    std::vector<Case> const cases = {
        {"configure DTMF", [&] { return r.configureDTMF(dtmfParams(1, 2, 3, 4)); }, Req::DTMF_CONFIGURE_DETECTOR,
         be32s({5, 1, 2, 4, 3})},
        {"enable DTMF", [&] { return r.enableDTMF(true); }, Req::DTMF_ENABLE_DETECTOR, be32s({5, 1})},
        {"disable DTMF", [&] { return r.disableDTMF(); }, Req::DTMF_DISABLE_DETECTOR, {}},
        {"tone", [&] { return r.enableToneGenerator(697, 1209, 16384, 0x1234); }, Req::DTMF_DIAL,
         dial(5, 697, 1209, 16384, 0x1234)},
        {"echo on", [&] { return r.echoCancel(true); }, Req::CHANNEL_LMS_ON, {}},
        {"echo off", [&] { return r.echoCancel(false); }, Req::CHANNEL_LMS_OFF, {}},
        {"reject on", [&] { return r.enableDTMFReject(true); }, Req::DTMF_REJECTION_ENABLE, {}},
        {"reject off", [&] { return r.enableDTMFReject(false); }, Req::DTMF_REJECTION_DISABLE, {}},
        {"IVA on", [&] { return r.enableIVA(true); }, Req::IVA_DETECTOR_ENABLE, {}},
        {"IVA off", [&] { return r.enableIVA(false); }, Req::IVA_DETECTOR_DISABLE, {}},
        {"configure IVA", [&] { return r.configureIVA(ivaParams(-12)); }, Req::IVA_CONFIGURE_DETECTOR,
         be32s({5, 0xFFFFFFF4})},
        {"selcal default amplitude, four signs of five", [&] { return r.translateSelcal(selcal("ABCDE")); },
         Req::SELCAL_DIAL, {0, 0, 0, 5, 0x2E, 0xE0, 'A', 'B', 'C', 'D', 0, 0}},
        {"selcal own amplitude", [&] { return r.translateSelcal(selcal("JKLM", 300)); }, Req::SELCAL_DIAL,
         {0, 0, 0, 5, 0x01, 0x2C, 'J', 'K', 'L', 'M', 0, 0}},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.what);
        tap->calls.clear();
        ASSERT_TRUE(c.action());
        ASSERT_EQ(tap->calls.size(), 1u);
        EXPECT_EQ(tap->calls[0].code, c.code);
        if (c.bytes.empty()) {
            EXPECT_EQ(tap->calls[0].value, 5u);
        }
        EXPECT_EQ(tap->calls[0].bytes, c.bytes);
    }
}

TEST_F(Tonec, log_lines_of_success_and_failure)
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
        {"configure DTMF", [&] { return r.configureDTMF(dtmfParams(1, 2, 3, 4)); }, false, "",
         "DTMF_CONFIGURE_DETECTOR ts=7 twist=1 ratio=2 noise=3 silence=4\n"},
        {"configure DTMF fails", [&] { return r.configureDTMF(dtmfParams(1, 2, 3, 4)); }, true,
         "DTMF_CONFIGURE_DETECTOR fail: timeslot=7" + eio, ""},
        {"enable DTMF fails", [&] { return r.enableDTMF(true); }, true,
         "DTMF_ENABLE_DETECTOR fail: timeslot=7 id=1" + eio, ""},
        {"enable DTMF", [&] { return r.enableDTMF(true); }, false, "DTMF_ENABLE_DETECTOR done: timeslot=7 id=2\n", ""},
        {"disable DTMF fails", [&] { return r.disableDTMF(); }, true, "DTMF_DISABLE_DETECTOR fail: timeslot=7" + eio,
         ""},
        {"disable DTMF", [&] { return r.disableDTMF(); }, false, "DTMF_DISABLE_DETECTOR done: timeslot=7\n", ""},
        {"echo on", [&] { return r.echoCancel(true); }, false, "", "CHANNEL_LMS_ON[7] ok\n"},
        {"echo off fails", [&] { return r.echoCancel(false); }, true, "CHANNEL_LMS_OFF fail: timeslot=7" + eio, ""},
        {"reject on", [&] { return r.enableDTMFReject(true); }, false, "", "DTMF_REJECTION_ENABLE[7] ok\n"},
        {"reject off fails", [&] { return r.enableDTMFReject(false); }, true,
         "DTMF_REJECTION_DISABLE fail: timeslot=7" + eio, ""},
        {"IVA on", [&] { return r.enableIVA(true); }, false, "", "IVA_DETECTOR_ENABLE[7] ok\n"},
        {"IVA off fails", [&] { return r.enableIVA(false); }, true, "IVA_DETECTOR_DISABLE fail: timeslot=7" + eio, ""},
        {"tone fails", [&] { return r.enableToneGenerator(1, 2, 3, 4); }, true, "DTMF_DIAL fail: timeslot=7" + eio, ""},
        {"tone", [&] { return r.enableToneGenerator(1, 2, 3, 4); }, false, "", ""},
        {"configure IVA", [&] { return r.configureIVA(ivaParams(-20)); }, false, "",
         "IVA_CONFIGURE_DETECTOR ts=7 det_lvl_dB=-20\n"},
        {"configure IVA fails", [&] { return r.configureIVA(ivaParams(-20)); }, true,
         "IVA_CONFIGURE_DETECTOR fail: timeslot=7" + eio, ""},
        {"selcal with three signs", [&] { return r.translateSelcal(selcal("ABC")); }, false,
         "SELCAL_DIAL fail: timeslot=7 incorect signs:ABC\n", ""},
        {"selcal fails", [&] { return r.translateSelcal(selcal("ABCD")); }, true, "SELCAL_DIAL fail: timeslot=7" + eio,
         ""},
    };
    service();
    for (auto const& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.fail)
            board.fail_next("/dev/dtmf", 1);
        StreamCapture err(std::cerr), log(std::clog);
        bool expected = !c.fail && std::string(c.what).find("three") == std::string::npos;
        EXPECT_EQ(c.action(), expected);
        EXPECT_EQ(err.text(), c.cerr);
        EXPECT_EQ(log.text(), c.clog);
    }
    // The failures changed no flag: the disable that failed left DTMF on
    // until the one that succeeded, the IVA disable that failed left IVA on.
    EXPECT_FALSE(r.dtmf_on());
    EXPECT_TRUE(r.iva_on());
    EXPECT_TRUE(r.reject_on());
}

TEST_F(Tonec, a_missing_device_fails_every_request_and_configure_tries_to_open_it_again)
{
    board.set_missing("/dev/dtmf", true);
    TestReceiver r(3);
    {
        StreamCapture err(std::cerr);
        service();
        EXPECT_EQ(err.text(), "open tonec fail, DTMF proceeding disabled: No such file or directory\n");
    }
    StreamCapture err(std::cerr);
    EXPECT_FALSE(r.configureDTMF(dtmfParams(1, 2, 3, 4)));
    EXPECT_FALSE(r.configureIVA(ivaParams(1)));
    EXPECT_FALSE(r.enableDTMF(true));
    EXPECT_EQ(err.text(), "open tonec fail, DTMF proceeding disabled: No such file or directory\n"
                          "configure DTMF fail: (interface not opened) timeslot=3\n"
                          "open tonec fail, DTMF proceeding disabled: No such file or directory\n"
                          "configure IVA fail: (interface not opened) timeslot=3\n"
                          "DTMF_ENABLE_DETECTOR fail: timeslot=3 id=1 errno=\"Bad file descriptor\"\n");
    // Only the configure requests tried to open.
    EXPECT_EQ(board.log_of("/dev/dtmf", "open").size(), 3u);

    board.set_missing("/dev/dtmf", false);
    EXPECT_TRUE(r.configureIVA(ivaParams(1)));
    EXPECT_TRUE(service().is_open());
}

TEST_F(Tonec, enable_ids_count_across_receivers_and_a_repeated_enable_sends_nothing)
{
    TestReceiver a(1), b(2), c(3);
    EXPECT_TRUE(a.enableDTMF(true));
    EXPECT_TRUE(a.enableDTMF(true));
    EXPECT_TRUE(b.enableDTMF(true));
    EXPECT_TRUE(a.disableDTMF());
    EXPECT_TRUE(a.disableDTMF());
    EXPECT_TRUE(c.enableDTMF(true));
    EXPECT_TRUE(a.enableDTMF(true));
    EXPECT_EQ(tap->calls_of(Req::DTMF_ENABLE_DETECTOR).size(), 4u);
    EXPECT_EQ(tap->calls_of(Req::DTMF_DISABLE_DETECTOR).size(), 1u);
    EXPECT_EQ(a.enable_id(), 4u);
    EXPECT_EQ(b.enable_id(), 2u);
    EXPECT_EQ(c.enable_id(), 3u);
}

TEST(EnableIds, count_from_one_and_skip_zero_on_wrap_around)
{
    Hardware::EnableIds fresh;
    EXPECT_EQ(fresh.next(), 1u);
    EXPECT_EQ(fresh.next(), 2u);
    Hardware::EnableIds nearEnd(0xFFFFFFFEu);
    EXPECT_EQ(nearEnd.next(), 0xFFFFFFFFu);
    EXPECT_EQ(nearEnd.next(), 1u);
}

TEST_F(Tonec, iva_and_dtmf_keep_separate_flags)
{
    TestReceiver r(4);
    ASSERT_TRUE(r.enableIVA(true));
    // The IVA detector being on does not make the DTMF enable a no-op.
    ASSERT_TRUE(r.enableDTMF(true));
    EXPECT_EQ(tap->calls_of(Req::DTMF_ENABLE_DETECTOR).size(), 1u);
    EXPECT_EQ(r.enable_id(), 1u);
    // Switching IVA off leaves DTMF on and its events flowing.
    ASSERT_TRUE(r.enableIVA(false));
    EXPECT_TRUE(r.dtmf_on());
    tap->model.queue(4, 0x31, 1, 100);
    deliver();
    ASSERT_EQ(r.events.size(), 1u);
    // And the other way round.
    ASSERT_TRUE(r.enableIVA(true));
    ASSERT_TRUE(r.disableDTMF());
    EXPECT_TRUE(r.iva_on());
    EXPECT_TRUE(r.detector_on());
}

TEST_F(Tonec, events_go_to_the_first_receiver_of_their_timeslot_with_the_current_id)
{
    TestReceiver first(9), second(9), other(10);
    ASSERT_TRUE(first.enableDTMF(true));  // id 1
    ASSERT_TRUE(first.disableDTMF());
    ASSERT_TRUE(first.enableDTMF(true));  // id 2
    ASSERT_TRUE(second.enableDTMF(true)); // id 3
    StreamCapture err(std::cerr), log(std::clog);
    tap->model.queue(9, 0x35, 2, 1000);
    tap->model.queue(9, 0x36, 1, 1001);  // an earlier enable's id
    tap->model.queue(9, 0x37, 3, 1002);  // the second receiver's id: the first decides
    tap->model.queue(10, 0x38, 0, 1003); // other's detector is off
    tap->model.queue(11, 0x39, 2, 1004); // nobody's timeslot
    deliver();
    ASSERT_EQ(first.events.size(), 1u);
    EXPECT_EQ(first.events[0].code, 0x35u);
    EXPECT_EQ(first.events[0].timestamp, 1000u);
    EXPECT_TRUE(second.events.empty());
    EXPECT_TRUE(other.events.empty());
    EXPECT_EQ(log.text(), "dtmf event:  timestamp=1000 timeslot=9 code=53 id=2\n"
                          "dtmf event:  timestamp=1001 timeslot=9 code=54 id=1\n"
                          "ignore spurious dtmf event:  timestamp=1001 timeslot=9 code=54 id=1 rid=2\n"
                          "dtmf event:  timestamp=1002 timeslot=9 code=55 id=3\n"
                          "ignore spurious dtmf event:  timestamp=1002 timeslot=9 code=55 id=3 rid=2\n"
                          "dtmf event:  timestamp=1003 timeslot=10 code=56 id=0\n"
                          "ignore spurious dtmf event (DTMF disabled):  timestamp=1003 timeslot=10 code=56 id=0\n"
                          "dtmf event:  timestamp=1004 timeslot=11 code=57 id=2\n");
    EXPECT_EQ(err.text(), "receive tonec event from unknown timeslot 11\n");
}

TEST_F(Tonec, a_pass_reads_at_most_its_share_of_records_and_leaves_the_rest_for_the_next)
{
    TestReceiver r(2);
    ASSERT_TRUE(r.enableDTMF(true));
    unsigned const share = Service::maxRecordsPerPass;
    for (unsigned i = 0; i < share + 44; ++i)
        tap->model.queue(2, 0x30, 1, i);
    StreamCapture log(std::clog);
    deliver();
    EXPECT_EQ(r.events.size(), share);
    EXPECT_EQ(tap->model.queued(), 44u);
    deliver();
    ASSERT_EQ(r.events.size(), share + 44);
    EXPECT_EQ(r.events.back().timestamp, share + 43);
}

TEST_F(Tonec, short_records_are_dropped_with_a_line)
{
    TestReceiver r(2);
    ASSERT_TRUE(r.enableDTMF(true));
    tap->model.queue(2, 0x41, 1, 5);
    tap->model.queue_raw({0, 0, 0, 0x42, 0, 0, 0, 2}); // half a record
    tap->model.queue(2, 0x43, 1, 6);
    StreamCapture err(std::cerr);
    deliver();
    ASSERT_EQ(r.events.size(), 2u);
    EXPECT_EQ(r.events[0].code, 0x41u);
    EXPECT_EQ(r.events[1].code, 0x43u);
    EXPECT_EQ(err.text(), "short tonec event record dropped: 8 bytes\n");
}

TEST_F(Tonec, a_hung_up_device_is_closed_and_opened_again_a_second_later)
{
    TestReceiver r(2);
    ASSERT_TRUE(r.enableDTMF(true));
    board.break_opens("/dev/dtmf");
    {
        StreamCapture err(std::cerr);
        deliver();
        EXPECT_EQ(err.text(), "fail to read from tonec: Input/output error\n"
                              "tonec device failure: device closed, open again in 1000 ms\n");
    }
    EXPECT_FALSE(service().is_open());
    // Nothing polls the broken descriptor meanwhile.
    StreamCapture err(std::cerr);
    stepper.advance(999);
    EXPECT_EQ(err.text(), "");
    EXPECT_EQ(board.log_of("/dev/dtmf", "open").size(), 1u);
    stepper.advance(1);
    EXPECT_TRUE(service().is_open());
    EXPECT_EQ(board.log_of("/dev/dtmf", "open").size(), 2u);
    EXPECT_EQ(err.text(), "tonec device opened again: 1 enabled again, 0 failed\n");
    tap->model.queue(2, 0x44, 1, 7);
    deliver();
    ASSERT_EQ(r.events.size(), 1u);
}

TEST_F(Tonec, a_reopened_device_gets_the_detectors_enabled_again_with_their_ids)
{
    TestReceiver dtmf(2), iva(3), both(4), off(5);
    ASSERT_TRUE(dtmf.enableDTMF(true)); // id 1
    ASSERT_TRUE(iva.enableIVA(true));
    ASSERT_TRUE(both.enableDTMF(true)); // id 2
    ASSERT_TRUE(both.enableIVA(true));
    ASSERT_TRUE(off.enableDTMF(true)); // id 3
    ASSERT_TRUE(off.disableDTMF());
    Strings const again = {"DTMF_ENABLE_DETECTOR ts=2 id=1 -> 0", "IVA_DETECTOR_ENABLE ts=3 -> 0",
                           "DTMF_ENABLE_DETECTOR ts=4 id=2 -> 0", "IVA_DETECTOR_ENABLE ts=4 -> 0"};
    // The device comes back through the retry a second later, or sooner
    // through a configure request, which then finds the detectors on.
    struct Case {
        char const* what;
        std::function<void()> reopen;
        Strings requests;
    } const cases[] = {
        {"retry", [&] { stepper.advance(1000); }, again},
        {"configure", [&] { ASSERT_TRUE(off.configureIVA(ivaParams(-9))); },
         [&] {
             Strings requests = again;
             requests.push_back("IVA_CONFIGURE_DETECTOR ts=5 det_lvl_dB=-9 -> 0");
             return requests;
         }()},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.what);
        hangUp();
        // The driver let them go with the descriptor.
        EXPECT_FALSE(tap->model.timeslot(2).dtmf);
        EXPECT_FALSE(tap->model.timeslot(4).iva);
        logged();
        StreamCapture err(std::cerr), log(std::clog);
        c.reopen();
        EXPECT_EQ(board.log_of("/dev/dtmf", "open").size(), 1u);
        EXPECT_EQ(logged(), c.requests);
        EXPECT_EQ(err.text(), "tonec device opened again: 4 enabled again, 0 failed\n");
        EXPECT_TRUE(tap->model.timeslot(2).dtmf);
        EXPECT_EQ(tap->model.timeslot(2).id, 1u);
        EXPECT_TRUE(tap->model.timeslot(3).iva);
        EXPECT_TRUE(tap->model.timeslot(4).dtmf && tap->model.timeslot(4).iva);
        EXPECT_EQ(tap->model.timeslot(4).id, 2u);
        EXPECT_FALSE(tap->model.timeslot(5).dtmf);
        // The retry does not open it a second time.
        stepper.advance(5000);
        EXPECT_TRUE(board.log().empty());
    }
    tap->model.queue(4, 0x23, 2, 11);
    {
        StreamCapture log(std::clog);
        deliver();
    }
    ASSERT_EQ(both.events.size(), 1u);
}

TEST_F(Tonec, a_detector_that_fails_to_come_back_is_marked_off_and_enabled_afresh_on_request)
{
    TestReceiver dtmf(2), iva(3);
    ASSERT_TRUE(dtmf.enableDTMF(true)); // id 1
    ASSERT_TRUE(iva.enableIVA(true));
    hangUp();
    board.fail_next("/dev/dtmf", 1);
    StreamCapture err(std::cerr), log(std::clog);
    stepper.advance(1000);
    EXPECT_EQ(err.text(), "tonec device opened again: 1 enabled again, 1 failed\n");
    EXPECT_FALSE(dtmf.dtmf_on());
    EXPECT_TRUE(iva.iva_on());
    // The slot's next enable is sent, under a new id.
    logged();
    EXPECT_TRUE(dtmf.enableDTMF(true));
    EXPECT_EQ(logged(), Strings{"DTMF_ENABLE_DETECTOR ts=2 id=2 -> 0"});
    EXPECT_TRUE(tap->model.timeslot(2).dtmf);
}

TEST_F(Tonec, a_missing_device_after_a_hang_up_is_tried_every_second)
{
    TestReceiver r(2);
    service();
    board.break_opens("/dev/dtmf");
    board.set_missing("/dev/dtmf", true);
    StreamCapture err(std::cerr);
    deliver();
    stepper.advance(3000);
    EXPECT_EQ(board.log_of("/dev/dtmf", "open").size(), 4u);
    board.set_missing("/dev/dtmf", false);
    stepper.advance(1000);
    EXPECT_TRUE(service().is_open());
    stepper.advance(5000);
    EXPECT_EQ(board.log_of("/dev/dtmf", "open").size(), 5u);
}

TEST_F(Tonec, a_digit_sequence_plays_tone_and_pause_then_reports_completion)
{
    TestReceiver r(6);
    r.translateDTMF(digits({{697, 1209}, {770, 1336}}));
    EXPECT_TRUE(r.sequence_playing());
    stepper.advance(1000);
    auto silence = dial(6, 1000, 1000, 0, 0);
    auto off = dial(6, 0, 0, 0, 0);
    decltype(dials()) const expected = {
        {0, dial(6, 697, 1209, 16384, 16384)}, {70, silence}, {140, dial(6, 770, 1336, 16384, 16384)},
        {210, silence}, {280, off}};
    EXPECT_EQ(dials(), expected);
    EXPECT_EQ(r.completed, 1);
    EXPECT_FALSE(r.sequence_playing());
}

TEST_F(Tonec, a_sequence_takes_its_own_levels_and_durations)
{
    TestReceiver r(6);
    auto p = digits({{1, 2}});
    p.set_amp1(0x12345); // taken as 16 bits
    p.set_amp2(100);
    p.set_toneDuration(40);
    p.set_pauseDuration(25);
    r.translateDTMF(p);
    stepper.advance(1000);
    decltype(dials()) const expected = {
        {0, dial(6, 1, 2, 0x2345, 100)}, {40, dial(6, 1000, 1000, 0, 0)}, {65, dial(6, 0, 0, 0, 0)}};
    EXPECT_EQ(dials(), expected);
}

TEST_F(Tonec, an_empty_sequence_ends_at_once_and_new_digits_replace_the_rest)
{
    TestReceiver r(6);
    r.translateDTMF(digits({}));
    EXPECT_EQ(r.completed, 1);
    decltype(dials()) const off = {{0, dial(6, 0, 0, 0, 0)}};
    EXPECT_EQ(dials(), off);

    tap->calls.clear();
    r.translateDTMF(digits({{1, 1}, {2, 2}, {3, 3}}));
    stepper.advance(10);
    r.translateDTMF(digits({{9, 9}})); // goes on at the next step
    stepper.advance(1000);
    decltype(dials()) const expected = {{0, dial(6, 1, 1, 16384, 16384)},
                                        {70, dial(6, 1000, 1000, 0, 0)},
                                        {140, dial(6, 9, 9, 16384, 16384)},
                                        {210, dial(6, 1000, 1000, 0, 0)},
                                        {280, dial(6, 0, 0, 0, 0)}};
    EXPECT_EQ(dials(), expected);
    EXPECT_EQ(r.completed, 2);
}

TEST_F(Tonec, ringing_repeats_one_second_of_tone_and_three_of_silence_until_cancelled)
{
    TestReceiver r(8);
    r.activateAudibleCall();
    stepper.advance(9500);
    auto tone = dial(8, 425, 0, 2048, 2048);
    auto silence = dial(8, 1000, 1000, 0, 0);
    decltype(dials()) const expected = {{0, tone}, {1000, silence}, {4000, tone}, {5000, silence}, {8000, tone},
                                        {9000, silence}};
    EXPECT_EQ(dials(), expected);

    tap->calls.clear();
    r.cancelAudibleCall();
    stepper.advance(10000);
    decltype(dials()) const off = {{9500, dial(8, 0, 0, 0, 0)}};
    EXPECT_EQ(dials(), off);
}

TEST_F(Tonec, ringing_cuts_a_playing_sequence_short_without_reporting_it_complete)
{
    TestReceiver r(8);
    r.translateDTMF(digits({{1, 1}, {2, 2}}));
    stepper.advance(30);
    tap->calls.clear();
    r.activateAudibleCall();
    EXPECT_FALSE(r.sequence_playing());
    stepper.advance(2000);
    // Only the ringing plays: the rest of the digits is gone, and digits cut
    // short are no finished sequence.
    decltype(dials()) const ringing = {{30, dial(8, 425, 0, 2048, 2048)}, {1030, dial(8, 1000, 1000, 0, 0)}};
    EXPECT_EQ(dials(), ringing);
    EXPECT_EQ(r.completed, 0);
    // The ringing can be cancelled: no sequence holds it.
    r.cancelAudibleCall();
    tap->calls.clear();
    stepper.advance(10000);
    EXPECT_TRUE(dials().empty());
    // A later sequence plays in full and is reported complete.
    r.translateDTMF(digits({{5, 5}}));
    stepper.advance(1000);
    EXPECT_EQ(r.completed, 1);
}

TEST_F(Tonec, cancel_and_disable_leave_a_playing_sequence_alone_unless_forced)
{
    TestReceiver r(8);
    r.translateDTMF(digits({{1, 1}, {2, 2}}));
    tap->calls.clear();
    r.cancelAudibleCall();
    EXPECT_TRUE(dials().empty());
    r.disableToneGenerator(false); // a sequence plays: it ends
    EXPECT_FALSE(r.sequence_playing());
    stepper.advance(1000);
    decltype(dials()) const off = {{0, dial(8, 0, 0, 0, 0)}};
    EXPECT_EQ(dials(), off);
    tap->calls.clear();
    r.disableToneGenerator(false); // nothing plays
    EXPECT_TRUE(dials().empty());
    r.disableToneGenerator(true);
    EXPECT_EQ(dials().size(), 1u);
}

TEST_F(Tonec, clean_before_destroy_switches_off_what_is_on)
{
    TestReceiver r(12);
    ASSERT_TRUE(r.enableDTMF(true));
    ASSERT_TRUE(r.enableIVA(true));
    ASSERT_TRUE(r.enableDTMFReject(true));
    tap->calls.clear();
    r.CleanBeforeDestroy();
    ASSERT_EQ(tap->calls.size(), 3u);
    EXPECT_EQ(tap->calls[0].code, Req::DTMF_DISABLE_DETECTOR);
    EXPECT_EQ(tap->calls[1].code, Req::IVA_DETECTOR_DISABLE);
    EXPECT_EQ(tap->calls[2].code, Req::DTMF_REJECTION_DISABLE);
    tap->calls.clear();
    r.CleanBeforeDestroy();
    EXPECT_TRUE(tap->calls.empty());
}

} // namespace
