// The records the front ends hand to "/dev/hal", byte for byte as the
// driver receives them: request numbers and big-endian fields, whatever
// the host's byte order.
#include "hardware/BusCtl.h"
#include "hardware/HwMux.h"
#include "hardware/SpiCtrl.h"
#include "hardware/device/BoardDevices.h"
#include "sim/SimulatedBoard.h"
#include "support/ProtocolTestSupport.h"

#include <gtest/gtest.h>
#include <functional>
#include <iostream>
#include <memory>

namespace {

struct Seen {
    unsigned long code;
    std::vector<std::uint8_t> record;
    bool operator==(Seen const& other) const { return code == other.code && record == other.record; }
};

void PrintTo(Seen const& seen, std::ostream* out)
{
    *out << std::hex << "0x" << seen.code << " {";
    for (auto byte : seen.record)
        *out << ' ' << unsigned(byte);
    *out << " }" << std::dec;
}

// A "/dev/hal" that keeps every record it is handed and answers reads with
// fixed bytes: 0x3C on the bus, 0xA5 from SPI registers.
class RecordingHal : public Sim::Device {
public:
    char const* path() const override { return "/dev/hal"; }
    int request(Sim::Open&, unsigned long code, std::uint8_t* record, std::size_t size, Sim::RequestNote&) override
    {
        seen.push_back({code, std::vector<std::uint8_t>(record, record + size)});
        if (code == 0xc0084d05 && size == 8)
            record[7] = 0x3C;
        if (code == 0xc0034203)
            return 0x1A5; // only the low byte is the register
        return 0;
    }
    std::vector<Seen> seen;
};

class Records : public ::testing::Test {
protected:
    Records() : hal_(static_cast<RecordingHal&>(board_.add(std::make_unique<RecordingHal>()))) { Board::install(&board_); }
    ~Records() override { Board::install(nullptr); }

    // The records of what runs, after whatever came before.
    std::vector<Seen> during(std::function<void()> const& run)
    {
        hal_.seen.clear();
        run();
        return hal_.seen;
    }

    Sim::SimulatedBoard board_;
    RecordingHal& hal_;
    StreamCapture log_{std::clog};
    StreamCapture errors_{std::cerr};
};

} // namespace

TEST_F(Records, CrossConnectRequests)
{
    HwMux mux;
    EXPECT_EQ(std::vector<Seen>({{0x80084d02, {0x00, 0x00, 0x20, 0x08, 0x00, 0x00, 0x01, 0x02}}}),
              during([&] { mux.Connect(0x102, 0x2008); }));
    EXPECT_EQ(std::vector<Seen>({{0x80044d03, {0x00, 0x00, 0x20, 0x09}}}), during([&] { mux.Disable(0x2009); }));
    EXPECT_EQ(std::vector<Seen>({{0xc0084d04, {0x00, 0x00, 0x20, 0x0A, 0x00, 0x00, 0x00, 0xD5}}}),
              during([&] { mux.Disconnect(0x200A); }));
    EXPECT_EQ(std::vector<Seen>({{0xc0084d04, {0x00, 0x01, 0x00, 0x0B, 0x00, 0x00, 0x00, 0x7E}}}),
              during([&] { mux.Write(0x1000B, 0x7E); }));
    unsigned char read = 0;
    EXPECT_EQ(std::vector<Seen>({{0xc0084d05, {0x00, 0x00, 0x20, 0x0C, 0x00, 0x00, 0x00, 0xFF}}}),
              during([&] { read = mux.Read(0x200C); }));
    EXPECT_EQ(0x3C, read);
}

TEST_F(Records, ClockSelectAndSpiRegisterRequests)
{
    spiCtrl spi;
    BusCtl bus(&spi);
    EXPECT_EQ(std::vector<Seen>({{0x80044301, {0x00, 0x00, 0x00, 0x05}}}), during([&] { bus.DrvSetClkSrc(5); }));
    EXPECT_EQ(std::vector<Seen>({{0x80044301, {0x00, 0x00, 0x01, 0x02}}}), during([&] { bus.DrvSetClkSrc(0x102); }));
    EXPECT_EQ(std::vector<Seen>({{0xc0034204, {0x03, 0x57, 0x38}}}), during([&] { spi.write(3, 87, 56); }));
    unsigned value = 0;
    EXPECT_EQ(std::vector<Seen>({{0xc0034203, {0x06, 0x33, 0xFF}}}), during([&] { value = spi.read(6, 51); }));
    EXPECT_EQ(0xA5u, value);
}
