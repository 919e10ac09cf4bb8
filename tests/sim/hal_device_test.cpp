// The simulated "/dev/hal" as the tests and server-sim script it: what a
// channel reads, the control verbs, SPI registers and the "no SPI" switch,
// and the requests it refuses.
#include "hardware/device/BigEndian.h"
#include "sim/BoardModels.h"
#include "sim/HalDevice.h"

#include <gtest/gtest.h>
#include <cerrno>
#include <fcntl.h>
#include <sstream>

namespace {

class HalModel : public ::testing::Test {
protected:
    HalModel() : board_(Sim::makeBoard()), hal_(*board_->model<Sim::HalDevice>("/dev/hal"))
    {
        fd_ = board_->open("/dev/hal", O_RDWR);
    }
    ~HalModel() override { board_->close(fd_); }

    std::string control(std::string const& line)
    {
        std::ostringstream reply;
        board_->control(line, reply);
        return reply.str();
    }

    int request(unsigned long code, std::uint32_t a, std::uint32_t b)
    {
        Board::Record<8> record;
        record.put32(0, a);
        record.put32(4, b);
        return board_->request(fd_, code, record.data(), record.size());
    }

    int readByte(std::uint32_t ch)
    {
        Board::Record<8> record;
        record.put32(0, ch);
        record.put32(4, 255);
        if (board_->request(fd_, 0xc0084d05, record.data(), record.size()) < 0)
            return -errno;
        return record.get32(4);
    }

    int spi(unsigned long code, std::uint8_t ch, std::uint8_t reg, std::uint8_t value)
    {
        std::uint8_t record[3] = {ch, reg, value};
        int result = board_->request(fd_, code, record, sizeof record);
        return result < 0 ? -errno : result;
    }

    std::unique_ptr<Sim::SimulatedBoard> board_;
    Sim::HalDevice& hal_;
    int fd_ = -1;
};

unsigned long const connectCode = 0x80084d02, constantCode = 0xc0084d04, disableCode = 0x80044d03;
unsigned long const spiRead = 0xc0034203, spiWrite = 0xc0034204;

} // namespace

TEST_F(HalModel, AChannelReadsWhatDrivesItInOrderOfPrecedence)
{
    EXPECT_EQ(0xFF, readByte(8200)); // the idle bus
    EXPECT_EQ("ok\n", control("hal drive 8200 0x3c"));
    EXPECT_EQ(0x3C, readByte(8200));
    ASSERT_EQ(0, request(constantCode, 8200, 0x55));
    EXPECT_EQ(0x55, readByte(8200)); // our own constant wins over the other party
    ASSERT_EQ(0, request(connectCode, 8201, 8200));
    EXPECT_EQ(0x55, readByte(8201)); // follows its source
    ASSERT_EQ(0, request(connectCode, 8200, 8201));
    EXPECT_EQ(0xFF, readByte(8201)); // a loop of connections reads idle
    std::uint8_t off[4];
    Board::put_be32(off, 8200);
    ASSERT_EQ(0, board_->request(fd_, disableCode, off, sizeof off));
    EXPECT_EQ(0x3C, readByte(8200));
    EXPECT_EQ("ok\n", control("hal stuck 8200 0"));
    EXPECT_EQ(0x00, readByte(8200)); // stuck beats everything
    EXPECT_EQ("ok\n", control("hal unstuck 8200"));
    EXPECT_EQ("ok\n", control("hal undrive 8200"));
    EXPECT_EQ(0xFF, readByte(8200));
    EXPECT_EQ("channel=8201 output=source 8200 read=0xFF\nok\n", control("hal show 8201"));
}

TEST_F(HalModel, RequestsOutsideTheModelAreRefused)
{
    EXPECT_EQ(-EINVAL, readByte(Sim::HalDevice::channels));
    Board::Record<8> record;
    record.put32(0, 8200);
    record.put32(4, 256);
    EXPECT_EQ(-1, board_->request(fd_, constantCode, record.data(), record.size()));
    EXPECT_EQ(EINVAL, errno);
    EXPECT_EQ(-1, board_->request(fd_, connectCode, record.data(), 4)); // short record
    EXPECT_EQ(EINVAL, errno);
    EXPECT_EQ(-1, board_->request(fd_, 0x12345678, record.data(), record.size()));
    EXPECT_EQ(ENOTTY, errno);
    EXPECT_EQ(-EINVAL, spi(spiRead, 8, 51, 0xFF));
}

TEST_F(HalModel, SpiRegistersAndTheNoSpiSwitch)
{
    for (std::uint8_t ch = 0; ch < 8; ++ch)
        EXPECT_EQ(0xC5, spi(spiRead, ch, 51, 0xFF)) << int(ch);
    EXPECT_EQ("ok\n", control("hal spi-status 3 0x85"));
    EXPECT_EQ(0x85, spi(spiRead, 3, 51, 0xFF));
    EXPECT_EQ(0, spi(spiWrite, 3, 87, 56));
    EXPECT_EQ("spi channel=3 r51=133 r87=56\nok\n", control("hal spi-show 3"));
    EXPECT_EQ("ok\n", control("hal no-spi on"));
    EXPECT_EQ(-ENODEV, spi(spiRead, 3, 51, 0xFF));
    EXPECT_EQ(-ENODEV, spi(spiWrite, 3, 50, 0));
    EXPECT_EQ("ok\n", control("hal no-spi off"));
    EXPECT_EQ(0x85, spi(spiRead, 3, 51, 0xFF));
}

TEST_F(HalModel, ClockSelectIsRememberedAndLogged)
{
    EXPECT_EQ("clock source=-1\nok\n", control("hal clock"));
    std::uint8_t record[4];
    Board::put_be32(record, 5);
    EXPECT_EQ(0, board_->request(fd_, 0x80044301, record, sizeof record));
    EXPECT_EQ("clock source=5\nok\n", control("hal clock"));
    EXPECT_EQ("/dev/hal clock-select source=5 -> 0", [&] {
        std::ostringstream line;
        line << board_->log().back();
        return line.str();
    }());
}

TEST_F(HalModel, MalformedControlLinesAreNotUnderstood)
{
    for (char const* line : {"hal drive 8200", "hal drive 8200 256", "hal drive 16384 1", "hal drive x 1",
                             "hal spi-status 8 1", "hal no-spi maybe", "hal show", "hal frobnicate"})
        EXPECT_EQ("error: hal: not understood\n", control(line)) << line;
}
