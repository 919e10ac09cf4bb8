#include "sim/DspDevice.h"
#include "sim/DtmfDevice.h"
#include "sim/SimulatedBoard.h"
#include "hardware/device/BigEndian.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <sstream>
#include <unistd.h>

namespace {

std::string run(Sim::SimulatedBoard& board, std::string const& line)
{
    std::ostringstream reply;
    board.control(line, reply);
    return reply.str();
}

bool readable(int fd)
{
    pollfd p{fd, POLLIN, 0};
    return ::poll(&p, 1, 0) == 1 && (p.revents & POLLIN);
}

struct Models : ::testing::Test {
    Models()
    {
        dtmf = &static_cast<Sim::DtmfDevice&>(board.add(std::make_unique<Sim::DtmfDevice>()));
        dsp = &static_cast<Sim::DspDevice&>(board.add(std::make_unique<Sim::DspDevice>()));
    }
    Sim::SimulatedBoard board;
    Sim::DtmfDevice* dtmf;
    Sim::DspDevice* dsp;
};

TEST_F(Models, dtmf_events_queue_by_verb_and_read_one_record_each)
{
    int fd = board.open("/dev/dtmf", O_RDONLY | O_NONBLOCK);
    ASSERT_GE(fd, 0);
    Board::Record<8> enable;
    enable.put32(0, 4);
    enable.put32(4, 77);
    ASSERT_EQ(board.request(fd, 0x40084203, enable.data(), enable.size()), 0);
    EXPECT_FALSE(readable(fd));

    EXPECT_EQ(run(board, "dtmf event 4 0x31"), "ok\n");          // current id, running timestamp
    EXPECT_EQ(run(board, "dtmf event 4 50 9 1234"), "ok\n");
    EXPECT_EQ(run(board, "dtmf short 5"), "ok\n");
    EXPECT_EQ(run(board, "dtmf event x"), "error: dtmf: not understood\n");
    EXPECT_TRUE(readable(fd));

    Board::Record<16> record;
    ASSERT_EQ(board.read(fd, record.data(), 16), 16);
    EXPECT_EQ(record.get32(0), 0x31u);
    EXPECT_EQ(record.get32(4), 4u);
    EXPECT_EQ(record.get32(8), 1u);
    EXPECT_EQ(record.get32(12), 77u);
    ASSERT_EQ(board.read(fd, record.data(), 16), 16);
    EXPECT_EQ(record.get32(0), 50u);
    EXPECT_EQ(record.get32(8), 1234u);
    EXPECT_EQ(record.get32(12), 9u);
    EXPECT_EQ(board.read(fd, record.data(), 16), 5);
    EXPECT_FALSE(readable(fd));
    EXPECT_EQ(board.read(fd, record.data(), 16), -1);
    EXPECT_EQ(errno, EAGAIN);
    board.close(fd);
}

TEST_F(Models, dtmf_keeps_the_state_of_each_timeslot)
{
    int fd = board.open("/dev/dtmf", O_RDONLY | O_NONBLOCK);
    Board::Record<12> dial;
    dial.put32(0, 3);
    dial.put16(4, 697);
    dial.put16(6, 1209);
    dial.put16(8, 100);
    dial.put16(10, 200);
    ASSERT_EQ(board.request(fd, 0x400c4205, dial.data(), dial.size()), 0);
    ASSERT_EQ(board.request_value(fd, 0x4004420b, 3), 0);
    ASSERT_EQ(board.request_value(fd, 0x40044206, 3), 0);
    EXPECT_EQ(board.request(fd, 0x400c4205, dial.data(), 8), -1); // wrong record size
    EXPECT_EQ(errno, EINVAL);
    EXPECT_EQ(board.request_value(fd, 0x40044208, 3), -1);
    EXPECT_EQ(errno, ENOTTY);
    EXPECT_EQ(run(board, "dtmf show 3"),
              "dtmf=off id=0 iva=on iva_level=0 rejection=off echo_cancel=on generator=697/1209@100/200 selcal=\nok\n");
    auto log = board.log_of("/dev/dtmf", "DTMF_DIAL");
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0].fields, "ts=3 freq1=697 freq2=1209 level1=100 level2=200");
    board.close(fd);
}

TEST_F(Models, dsp_answers_its_version_and_records_features_and_ids)
{
    int fd = board.open("/dev/dsp", O_RDWR | O_NONBLOCK);
    EXPECT_EQ(board.request_none(fd, 0x40046404), 2);
    EXPECT_EQ(run(board, "dsp version 1"), "ok\n");
    EXPECT_EQ(board.request_none(fd, 0x40046404), 1);

    Board::Record<12> enable;
    enable.put32(0, 5);
    enable.put32(4, 42);
    enable.put32(8, 16 | 1);
    ASSERT_EQ(board.request(fd, 0x400c6402, enable.data(), enable.size()), 0);
    enable.put32(8, 1);
    ASSERT_EQ(board.request(fd, 0x400c6403, enable.data(), enable.size()), 0);
    EXPECT_EQ(run(board, "dsp show 5"), "enabled=16 1:id=42 16:id=42\nok\n");

    // Events default to the id of their feature's enable.
    EXPECT_EQ(run(board, "dsp bss 5 0.5"), "ok\n");
    EXPECT_EQ(run(board, "dsp vad 5 3 -1 1 7"), "ok\n");
    EXPECT_EQ(run(board, "dsp event 5 1 512 1 2 3"), "ok\n");
    Board::Record<24> record;
    ASSERT_EQ(board.read(fd, record.data(), 24), 24);
    EXPECT_EQ(record.get32(0), 5u);
    EXPECT_EQ(record.get32(4), 42u);
    EXPECT_EQ(record.get32(8), 16u);
    EXPECT_EQ(record.get32(12), 0x3F000000u); // 0.5 as a big-endian IEEE float
    ASSERT_EQ(board.read(fd, record.data(), 24), 24);
    EXPECT_EQ(record.get32(4), 7u);
    EXPECT_EQ(record.get32(8), 1u);
    EXPECT_EQ(record.get32(16), 0xFFFFFFFFu);
    ASSERT_EQ(board.read(fd, record.data(), 24), 24);
    EXPECT_EQ(record.get32(8), 512u);
    EXPECT_EQ(record.get32(20), 3u);
    board.close(fd);
}

} // namespace
