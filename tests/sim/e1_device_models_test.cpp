// The simulated maintenance, CAS and HDLC-controller drivers as a front end
// sees them through the board: their starting state, the control verbs that
// script them, and the readiness of their descriptors.
#include "hardware/device/BigEndian.h"
#include "sim/BoardModels.h"
#include "sim/CasDevice.h"
#include "sim/MaintenanceDevice.h"
#include "sim/MccDevice.h"

#include <gtest/gtest.h>
#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <sstream>
#include <unistd.h>

namespace {

short polled(int fd)
{
    pollfd entry{fd, POLLIN | POLLOUT, 0};
    ::poll(&entry, 1, 0);
    return entry.revents;
}

class DeviceModels : public ::testing::Test {
protected:
    DeviceModels() { Board::install(board_.get()); }
    ~DeviceModels() override { Board::install(nullptr); }

    std::string control(std::string const& line)
    {
        std::ostringstream reply;
        board_->control(line, reply);
        return reply.str();
    }
    int open(char const* path) { return Board::devices().open(path, O_RDWR | O_NONBLOCK | O_CLOEXEC); }

    std::unique_ptr<Sim::SimulatedBoard> board_ = Sim::makeBoard();
};

} // namespace

TEST_F(DeviceModels, MaintenanceReportsScriptedStatusInTheRecord)
{
    int fd = open("/dev/maintenance");
    ASSERT_GE(fd, 0);
    Board::Record<80> record;
    record.put32(0, 1);
    ASSERT_EQ(0, Board::devices().request(fd, 0xc0504d03, record.data(), record.size()));
    for (std::size_t at = 4; at < 80; ++at)
        EXPECT_EQ(0, record.get8(at)) << at;

    EXPECT_EQ("ok\n", control("maintenance counters 1 1 2 3 4 5"));
    EXPECT_EQ("ok\n", control("maintenance state 1 rai"));
    ASSERT_EQ(0, Board::devices().request(fd, 0xc0504d03, record.data(), record.size()));
    EXPECT_EQ(1u, record.get32(36));
    EXPECT_EQ(2u, record.get32(40));
    EXPECT_EQ(3u, record.get32(44));
    EXPECT_EQ(4u, record.get32(48));
    EXPECT_EQ(5u, record.get32(52));
    EXPECT_EQ(4u, record.get32(76));

    EXPECT_EQ(0, Board::devices().request_value(fd, 0xc0044d0b, 0x5));
    EXPECT_EQ(0, Board::devices().request_value(fd, 0xc0044d0a, 2));
    std::string shown = control("maintenance show");
    EXPECT_NE(std::string::npos, shown.find("trunk 1 state=4 slips=1 lossBF=2 lossCarrier=3 lossAIS=4 lossRAI=5\n"));
    EXPECT_NE(std::string::npos, shown.find("tclk=0x5 source=2\n"));

    record.put32(0, 4);
    EXPECT_EQ(-1, Board::devices().request(fd, 0xc0504d03, record.data(), record.size()));
    EXPECT_EQ(EINVAL, errno);
    for (char const* bad : {"maintenance state 4 0", "maintenance state 0 sleepy", "maintenance counters 0 1 2",
                            "maintenance bogus"})
        EXPECT_EQ(0u, control(bad).rfind("error: ", 0)) << bad;
    EXPECT_EQ("ok\n", control("maintenance reset"));
    EXPECT_EQ(0u, board_->model<Sim::MaintenanceDevice>("/dev/maintenance")->status(1).state);
    Board::devices().close(fd);
}

TEST_F(DeviceModels, CasAnswersEveryRequestAndQueuesReceivedChanges)
{
    int fd = open("/dev/e1-cas");
    ASSERT_GE(fd, 0);
    EXPECT_EQ(0, Board::devices().request_value(fd, 0x80044300, 2));
    Board::Record<12> bits;
    bits.put32(0, 2);
    bits.put32(4, 7);
    bits.put8(9, 0x1B);
    EXPECT_EQ(0, Board::devices().request(fd, 0xc00c4302, bits.data(), bits.size()));
    bits.put8(9, 0);
    EXPECT_EQ(0, Board::devices().request(fd, 0xc00c4303, bits.data(), bits.size()));
    EXPECT_EQ(0, bits.get8(8));
    EXPECT_EQ(0xB, bits.get8(9));
    EXPECT_FALSE(polled(fd) & POLLIN);

    EXPECT_EQ("ok\n", control("e1-cas rx 2 7 5"));
    EXPECT_TRUE(polled(fd) & POLLIN);
    std::uint8_t record[16] = {};
    ASSERT_EQ(12, Board::devices().read(fd, record, sizeof record));
    EXPECT_EQ(2u, Board::get_be32(record));
    EXPECT_EQ(7u, Board::get_be32(record + 4));
    EXPECT_EQ(5, record[8]);
    EXPECT_EQ(0xB, record[9]);
    EXPECT_FALSE(polled(fd) & POLLIN);

    EXPECT_EQ("ok\n", control("e1-cas short 3"));
    EXPECT_EQ(3, Board::devices().read(fd, record, sizeof record));
    EXPECT_EQ(-1, Board::devices().read(fd, record, sizeof record));
    EXPECT_EQ(EAGAIN, errno);
    EXPECT_EQ("open=1 configured=0 code=0 rx=5 tx=11\nok\n", control("e1-cas show 2 7"));
    for (char const* bad : {"e1-cas rx 4 1 1", "e1-cas rx 0 32 1", "e1-cas short 12", "e1-cas show 0"})
        EXPECT_EQ(0u, control(bad).rfind("error: ", 0)) << bad;
    Board::devices().close(fd);
}

TEST_F(DeviceModels, CasTrunksCloseWithTheDescriptorTheyWereOpenedThroughAndTakeNoRequestsWhileClosed)
{
    Sim::CasDevice& cas = *board_->model<Sim::CasDevice>("/dev/e1-cas");
    int first = open("/dev/e1-cas");
    int second = open("/dev/e1-cas");
    Board::Record<12> bits;
    bits.put32(0, 1);
    bits.put32(4, 3);
    Board::Record<16> configure;
    configure.put32(0, 1);
    configure.put32(4, 3);
    // Trunk 1 closed: no channel of it is set, read or configured.
    struct Request {
        char const* what;
        unsigned long code;
        std::uint8_t* record;
        std::size_t size;
    } const requests[] = {{"set", 0xc00c4302, bits.data(), bits.size()},
                          {"get", 0xc00c4303, bits.data(), bits.size()},
                          {"configure", 0xc0104304, configure.data(), configure.size()}};
    for (Request const& r : requests) {
        EXPECT_EQ(-1, Board::devices().request(first, r.code, r.record, r.size)) << r.what;
        EXPECT_EQ(EINVAL, errno) << r.what;
    }
    ASSERT_EQ(0, Board::devices().request_value(first, 0x80044300, 1));
    ASSERT_EQ(0, Board::devices().request_value(second, 0x80044300, 2));
    for (Request const& r : requests)
        EXPECT_EQ(0, Board::devices().request(second, r.code, r.record, r.size)) << r.what;

    Board::devices().close(first);
    EXPECT_FALSE(cas.trunk_open(1));
    EXPECT_TRUE(cas.trunk_open(2));
    EXPECT_EQ(0u, control("e1-cas show 1 3").find("open=0 "));
    EXPECT_EQ(-1, Board::devices().request(second, 0xc00c4303, bits.data(), bits.size()));
    Board::devices().close(second);
    EXPECT_FALSE(cas.trunk_open(2));
}

TEST_F(DeviceModels, EveryMccOpenIsAChannelWithItsOwnFramesAndBackPressure)
{
    Board::Record<20> allocate;
    allocate.put32(0, 3);
    int first = open("/dev/mcc/ctl");
    int second = open("/dev/mcc/ctl");
    EXPECT_EQ(-1, Board::devices().request_none(first, 0x20004d02));
    ASSERT_EQ(0, Board::devices().request(first, 0x40144d00, allocate.data(), allocate.size()));
    EXPECT_EQ(-1, Board::devices().request(first, 0x40144d00, allocate.data(), allocate.size()));
    EXPECT_EQ(EBUSY, errno);
    ASSERT_EQ(0, Board::devices().request(second, 0x40144d00, allocate.data(), allocate.size()));
    EXPECT_EQ(10112, Board::devices().request_none(first, 0x20004d02));
    EXPECT_EQ(10113, Board::devices().request_none(second, 0x20004d02));

    // The front end keeps only a duplicate, as an Event does: readiness
    // still follows the model.
    int kept = ::fcntl(first, F_DUPFD_CLOEXEC, 0);
    ::close(first);
    EXPECT_EQ(POLLOUT, polled(kept));
    EXPECT_EQ("ok\n", control("mcc inject 10112 01 02 ff"));
    EXPECT_EQ("ok\n", control("mcc error 10112 5"));
    EXPECT_EQ(POLLIN | POLLOUT, polled(kept));
    std::uint8_t frame[8];
    EXPECT_EQ(3, Board::devices().read(kept, frame, sizeof frame));
    EXPECT_EQ(0xFF, frame[2]);
    EXPECT_EQ(-1, Board::devices().read(kept, frame, sizeof frame));
    EXPECT_EQ(EIO, errno);
    EXPECT_EQ(POLLOUT, polled(kept));
    // An empty frame is a read of 0 bytes.
    ASSERT_TRUE(board_->model<Sim::MccDevice>("/dev/mcc/ctl")->inject(10112, {}));
    board_->refresh();
    EXPECT_EQ(POLLIN | POLLOUT, polled(kept));
    EXPECT_EQ(0, Board::devices().read(kept, frame, sizeof frame));
    EXPECT_EQ(POLLOUT, polled(kept));
    EXPECT_EQ(0, polled(second) & POLLIN);

    EXPECT_EQ("ok\n", control("mcc block 10112"));
    EXPECT_EQ(0, polled(kept));
    EXPECT_EQ(-1, Board::devices().write(kept, "\x7e", 1));
    EXPECT_EQ(EAGAIN, errno);
    EXPECT_EQ("ok\n", control("mcc unblock 10112"));
    EXPECT_EQ(POLLOUT, polled(kept));
    EXPECT_EQ(2, Board::devices().write(kept, "\x7e\x01", 2));
    EXPECT_EQ("7e 01\nok\n", control("mcc sent 10112"));
    EXPECT_EQ("tdm=10112 mode=3 sent=1 queued=0 blocked=0\ntdm=10113 mode=3 sent=0 queued=0 blocked=0\nok\n",
              control("mcc list"));

    // Closing the last descriptor of a channel frees its number.
    Board::devices().close(kept);
    board_->refresh();
    EXPECT_EQ(std::vector<int>{10113}, board_->model<Sim::MccDevice>("/dev/mcc/ctl")->channels());
    Board::devices().close(second);
}
