#include "hardware/device/BigEndian.h"
#include "sim/DspDevice.h"
#include "sim/DtmfDevice.h"
#include "sim/SimulatedBoard.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <fcntl.h>
#include <sstream>

namespace {

struct Models : ::testing::Test {
    Models()
    {
        board.add(std::make_unique<Sim::DtmfDevice>());
        board.add(std::make_unique<Sim::DspDevice>());
    }
    // DSPROC_ENABLE (or DSPROC_DISABLE) {ts, id, mask} on fd; the result.
    int dspSwitch(int fd, bool on, std::uint32_t ts, std::uint32_t id, std::uint32_t mask)
    {
        Board::Record<12> record;
        record.put32(0, ts);
        record.put32(4, id);
        record.put32(8, mask);
        return board.request(fd, on ? 0x400c6402 : 0x400c6403, record.data(), record.size());
    }
    std::string run(std::string const& line)
    {
        std::ostringstream reply;
        board.control(line, reply);
        return reply.str();
    }
    Sim::SimulatedBoard board;
};

TEST_F(Models, dtmf_verbs_queue_records_with_the_timeslots_current_id)
{
    int fd = board.open("/dev/dtmf", O_RDONLY | O_NONBLOCK);
    Board::Record<8> enable;
    enable.put32(0, 4);
    enable.put32(4, 77);
    ASSERT_EQ(board.request(fd, 0x40084203, enable.data(), 4), -1); // a record of the wrong size
    EXPECT_EQ(errno, EINVAL);
    ASSERT_EQ(board.request(fd, 0x40084203, enable.data(), enable.size()), 0);
    ASSERT_EQ(board.request_value(fd, 0x4004420b, 4), 0);

    EXPECT_EQ(run("dtmf event 4 0x31"), "ok\n");
    EXPECT_EQ(run("dtmf event 4 50 9 1234"), "ok\n");
    EXPECT_EQ(run("dtmf short 5"), "ok\n");
    EXPECT_EQ(run("dtmf event x"), "error: dtmf: not understood\n");
    EXPECT_EQ(run("dtmf show 4"), "dtmf=on id=77 iva=on iva_level=0 rejection=off echo_cancel=off "
                                  "generator=0/0@0/0 selcal=\nok\n");

    Board::Record<16> record;
    ASSERT_EQ(board.read(fd, record.data(), 16), 16);
    EXPECT_EQ(record.bytes[3], 0x31);
    EXPECT_EQ(record.get32(4), 4u);
    EXPECT_EQ(record.get32(8), 1u);
    EXPECT_EQ(record.get32(12), 77u);
    ASSERT_EQ(board.read(fd, record.data(), 16), 16);
    EXPECT_EQ(record.get32(8), 1234u);
    EXPECT_EQ(record.get32(12), 9u);
    EXPECT_EQ(board.read(fd, record.data(), 16), 5);
    EXPECT_EQ(board.read(fd, record.data(), 16), -1);
    EXPECT_EQ(errno, EAGAIN);
    board.close(fd);
}

TEST_F(Models, dsp_verbs_set_the_version_and_queue_records_with_the_features_id)
{
    int fd = board.open("/dev/dsp", O_RDWR | O_NONBLOCK);
    EXPECT_EQ(board.request_none(fd, 0x40046404), 2);
    EXPECT_EQ(run("dsp version 1"), "ok\n");
    EXPECT_EQ(board.request_none(fd, 0x40046404), 1);

    ASSERT_EQ(dspSwitch(fd, true, 5, 42, 16 | 1), 0);
    ASSERT_EQ(dspSwitch(fd, false, 5, 42, 1), 0);
    EXPECT_EQ(run("dsp show 5"), "enabled=16 1:id=42 16:id=42\nok\n");

    EXPECT_EQ(run("dsp bss 5 0.5"), "ok\n");
    EXPECT_EQ(run("dsp vad 5 3 -1 1 7"), "ok\n");
    Board::Record<24> record;
    ASSERT_EQ(board.read(fd, record.data(), 24), 24);
    EXPECT_EQ(record.get32(4), 42u);
    EXPECT_EQ(record.get32(8), 16u);
    EXPECT_EQ(record.get32(12), 0x3F000000u); // 0.5 as a big-endian IEEE float
    ASSERT_EQ(board.read(fd, record.data(), 24), 24);
    EXPECT_EQ(record.get32(4), 7u);
    EXPECT_EQ(record.get32(16), 0xFFFFFFFFu);
    board.close(fd);
}

TEST_F(Models, closing_a_descriptor_switches_off_the_detectors_and_features_enabled_through_it)
{
    auto& dtmf = *board.model<Sim::DtmfDevice>("/dev/dtmf");
    auto& dsp = *board.model<Sim::DspDevice>("/dev/dsp");
    int tone = board.open("/dev/dtmf", O_RDONLY | O_NONBLOCK);
    int otherTone = board.open("/dev/dtmf", O_RDONLY | O_NONBLOCK);
    Board::Record<8> detector;
    detector.put32(0, 4);
    detector.put32(4, 7);
    ASSERT_EQ(board.request(tone, 0x40084203, detector.data(), detector.size()), 0);
    ASSERT_EQ(board.request_value(tone, 0x4004420b, 4), 0); // IVA
    ASSERT_EQ(board.request_value(tone, 0x40044209, 4), 0); // DTMF rejection: the timeslot's
    ASSERT_EQ(board.request_value(otherTone, 0x4004420b, 5), 0);

    int voice = board.open("/dev/dsp", O_RDWR | O_NONBLOCK);
    int otherVoice = board.open("/dev/dsp", O_RDWR | O_NONBLOCK);
    ASSERT_EQ(dspSwitch(voice, true, 5, 42, 16 | 1), 0);
    ASSERT_EQ(dspSwitch(otherVoice, true, 5, 43, 4), 0);

    board.close(tone);
    board.close(voice);
    EXPECT_FALSE(dtmf.timeslot(4).dtmf);
    EXPECT_FALSE(dtmf.timeslot(4).iva);
    EXPECT_TRUE(dtmf.timeslot(4).rejection);
    EXPECT_TRUE(dtmf.timeslot(5).iva);
    EXPECT_EQ(dsp.timeslot(5).enabled, 4u);
    board.close(otherTone);
    board.close(otherVoice);
    EXPECT_FALSE(dtmf.timeslot(5).iva);
    EXPECT_EQ(dsp.timeslot(5).enabled, 0u);
}

} // namespace
