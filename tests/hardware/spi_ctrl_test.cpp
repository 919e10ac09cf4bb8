// The SPI line interfaces on the simulated "/dev/hal": register set-up at
// start and at stop, the clock master, and the status of each channel sent
// as trunkStatus once a second while a controller is connected, on the
// test clock.
#include "hardware/SpiCtrl.h"
#include "tests/hardware/HalFixture.h"

#include <functional>

namespace {

// Sees the signals of the other services first, as every bound service does.
class Listener : public CtrlSrv::Service {
public:
    void OnConnect() override {}
    void OnDisconnect() override {}
    bool OnCommand(ZUZU::Command const&) override { return false; }
    void OnSignal(ZUZU::Signal const& signal) override
    {
        if (seen)
            seen(signal);
    }
    std::function<void(ZUZU::Signal const&)> seen;
};

class SpiChannels : public HalServiceTest {
protected:
    spiCtrl& start()
    {
        spi_ = &make<spiCtrl>();
        return *spi_;
    }

    // "trunk <n> <state> slips <n>" of each trunkStatus the controller got.
    Strings statuses()
    {
        Strings brief;
        for (auto const& message : received())
            brief.push_back(summary(message));
        return brief;
    }

    static std::string summary(std::string const& message)
    {
        auto field = [&](std::string const& name) {
            std::size_t at = message.find(name + " ");
            if (at == std::string::npos)
                return std::string("?");
            at += name.size() + 1;
            return message.substr(at, message.find_first_of(",}", at) - at);
        };
        std::string const expected = "{ pdu signal : trunkStatus : { trunk " + field("trunk") + ", state " +
                                     field("state") + ", slips " + field("slips") +
                                     ", lossBF 0, lossCarrier 0, lossAIS 0, lossRAI 0, name \"\", clockMaster FALSE, "
                                     "type bri } }";
        if (message != expected)
            return "unexpected: " + message;
        return "trunk " + field("trunk") + " " + field("state") + " slips " + field("slips");
    }

    static Strings allNormal()
    {
        Strings lines;
        for (int ch = 0; ch < 8; ++ch)
            lines.push_back("trunk " + std::to_string(ch) + " normal slips 0");
        return lines;
    }

    Strings spiLines()
    {
        Strings lines;
        for (auto const& line : linesOf(log_.text()))
            if (line.rfind("spi: ", 0) == 0)
                lines.push_back(line);
        return lines;
    }

    spiCtrl* spi_ = nullptr;
};

Strings channelSetUp(int ch)
{
    std::string const prefix = "spi-write channel=" + std::to_string(ch) + " register=";
    return {prefix + "50 value=128 -> 0", prefix + "48 value=8 -> 0",  prefix + "87 value=48 -> 0",
            prefix + "52 value=96 -> 0",  prefix + "53 value=0 -> 0",  prefix + "54 value=0 -> 0",
            prefix + "55 value=0 -> 0",   prefix + "50 value=0 -> 0"};
}

} // namespace

TEST_F(SpiChannels, StartInitialisesAndEnablesChannelsZeroToSix)
{
    start();
    Strings expected;
    Strings lines{"spi: try init"};
    for (int ch = 0; ch < 7; ++ch) {
        Strings setUp = channelSetUp(ch);
        expected.insert(expected.end(), setUp.begin(), setUp.end());
        lines.push_back("spi: init channel " + std::to_string(ch));
        lines.push_back("spi: enable channel " + std::to_string(ch));
    }
    Strings requests = board_.requests();
    ASSERT_FALSE(requests.empty());
    requests.erase(requests.begin()); // the open
    EXPECT_EQ(expected, requests);
    EXPECT_EQ(lines, linesOf(log_.text()));
    EXPECT_EQ(0, hal_.spiRegister(6, 50));
    EXPECT_EQ(96, hal_.spiRegister(6, 52));
    EXPECT_EQ(0, hal_.spiRegister(7, 52)); // channel 7 is not touched
}

TEST_F(SpiChannels, StatusOfEachChannelIsSignalledEverySecondFromTheConnection)
{
    connect({&start()});
    std::uint8_t const values[] = {0xC5, 0x85, 0x45, 0x05, 0x04, 0x01, 0x00, 0xC1};
    for (unsigned ch = 0; ch < 8; ++ch)
        hal_.setSpiRegister(ch, 51, values[ch]);
    loop_.advance(999);
    EXPECT_EQ(Strings{}, statuses());
    loop_.advance(1);
    Strings const expected{"trunk 0 normal slips 0", "trunk 1 rai slips 0",         "trunk 2 ais slips 0",
                           "trunk 3 ais slips 0",    "trunk 4 lossCarrier slips 0", "trunk 5 lossBF slips 0",
                           "trunk 6 lossCarrier slips 0", "trunk 7 lossBF slips 0"};
    EXPECT_EQ(expected, statuses());
    EXPECT_EQ(8u, board_.requests("spi-read").size());
    EXPECT_EQ("spi-read channel=7 register=51 value=193 -> 193", board_.requests("spi-read").back());

    loop_.advance(999);
    EXPECT_EQ(Strings{}, statuses());
    hal_.setSpiRegister(1, 51, 0xC5);
    loop_.advance(1);
    Strings second = expected;
    second[1] = "trunk 1 normal slips 0";
    EXPECT_EQ(second, statuses());
}

TEST_F(SpiChannels, EachChannelCountsItsOwnSlipOnce)
{
    connect({&start()});
    hal_.setSpiRegister(0, 51, 0xE5); // slip on channel 0 only
    loop_.advance(1000);
    Strings expected = allNormal();
    expected[0] = "trunk 0 normal slips 1";
    EXPECT_EQ(expected, statuses());
    // Still set: not counted again, although channel 1 had no slip.
    loop_.advance(1000);
    EXPECT_EQ(allNormal(), statuses());
    hal_.setSpiRegister(0, 51, 0xC5);
    loop_.advance(1000);
    EXPECT_EQ(allNormal(), statuses());
    hal_.setSpiRegister(0, 51, 0xE5);
    hal_.setSpiRegister(5, 51, 0xE5);
    loop_.advance(1000);
    expected[5] = "trunk 5 normal slips 1";
    EXPECT_EQ(expected, statuses());
}

TEST_F(SpiChannels, PollingStopsAtDisconnect)
{
    connect({&start()});
    loop_.advance(1000);
    EXPECT_EQ(allNormal(), statuses());
    EXPECT_TRUE(spi_->polling());
    server_.Deactivate();
    EXPECT_FALSE(spi_->polling());
    board_.board.clear_log();
    loop_.advance(5000);
    EXPECT_EQ(Strings{}, board_.requests());
}

TEST_F(SpiChannels, HalWithoutSpiFoundInAPassEndsItWithoutFalseReportsOrAnotherPass)
{
    Listener listener;
    int seen = 0;
    listener.seen = [&](ZUZU::Signal const&) {
        if (++seen == 3)
            hal_.setNoSpi(true);
    };
    connect({&listener, &start()});
    log_.clear();
    loop_.advance(1000);
    EXPECT_EQ(Strings({"trunk 0 normal slips 0", "trunk 1 normal slips 0", "trunk 2 normal slips 0"}), statuses());
    EXPECT_EQ(Strings{"spi: hal without spi"}, linesOf(log_.text()));
    EXPECT_FALSE(spi_->enabled());
    EXPECT_FALSE(spi_->polling());

    board_.board.clear_log();
    loop_.advance(5000);
    EXPECT_EQ(Strings{}, statuses());
    // Switched off for good: nothing is asked of the device, nothing logged.
    hal_.setNoSpi(false);
    spi_->clock(2);
    spi_->Stop();
    server_.Deactivate();
    EXPECT_EQ(Strings{}, board_.requests());
    EXPECT_EQ(Strings{"spi: hal without spi"}, linesOf(log_.text()));
}

TEST_F(SpiChannels, HalWithoutSpiFromTheStartSwitchesTheServiceOffAtOnce)
{
    hal_.setNoSpi(true);
    connect({&start()});
    EXPECT_EQ(Strings({"spi: try init", "spi: hal without spi"}), spiLines());
    EXPECT_EQ(1u, board_.requests("spi-write").size());
    EXPECT_FALSE(spi_->polling());
}

TEST_F(SpiChannels, FailedRegisterRequestsAreLoggedAndAFailedStatusReadsAsLossOfCarrier)
{
    connect({&start()});
    log_.clear();
    board_.board.fail_next("/dev/hal", 1);
    spi_->enable_channel(3);
    board_.board.fail_next("/dev/hal", 1);
    loop_.advance(1000);
    Strings expected = allNormal();
    expected[0] = "trunk 0 lossCarrier slips 0";
    EXPECT_EQ(expected, statuses());
    EXPECT_EQ(Strings({"spi: write error: channel=3 addr=50 data=0", "spi: enable channel 3",
                       "spi: read error: channel=0 addr=51"}),
              linesOf(log_.text()));
}

TEST_F(SpiChannels, ClockMasterIsOneChannelOrNone)
{
    start();
    board_.board.clear_log();
    log_.clear();
    spi_->clock(2);
    spi_->clock(8);
    spi_->clock(-2);
    Strings requests = board_.requests();
    ASSERT_EQ(9u, requests.size());
    for (int ch = 0; ch < 8; ++ch)
        EXPECT_EQ("spi-write channel=" + std::to_string(ch) + " register=87 value=48 -> 0", requests[ch]);
    EXPECT_EQ("spi-write channel=2 register=87 value=56 -> 0", requests[8]);
    EXPECT_EQ(Strings({"spi: set clock master on channel 2", "spi: bad channel for set clock master 8",
                       "spi: bad channel for set clock master -2"}),
              linesOf(log_.text()));
    EXPECT_EQ(56, hal_.spiRegister(2, 87));
}

TEST_F(SpiChannels, BadChannelsAreRefusedWithoutARequest)
{
    start();
    board_.board.clear_log();
    log_.clear();
    spi_->init_channel(8);
    spi_->enable_channel(-1);
    spi_->disable_channel(8);
    EXPECT_EQ(Strings{}, board_.requests());
    EXPECT_EQ(Strings({"spi: bad channel for init 8", "spi: bad channel for enable -1", "spi: bad channel for disable 8"}),
              linesOf(log_.text()));
}

TEST_F(SpiChannels, StopDisablesEveryChannelAndDropsTheClockMaster)
{
    connect({&start()});
    spi_->clock(1);
    board_.board.clear_log();
    log_.clear();
    spi_->Stop();
    EXPECT_FALSE(spi_->polling());
    EXPECT_FALSE(spi_->opened());
    Strings requests = board_.requests();
    ASSERT_EQ(16u, requests.size());
    Strings lines;
    for (int ch = 0; ch < 8; ++ch) {
        EXPECT_EQ("spi-write channel=" + std::to_string(ch) + " register=50 value=128 -> 0", requests[ch]);
        EXPECT_EQ("spi-write channel=" + std::to_string(ch) + " register=87 value=48 -> 0", requests[8 + ch]);
        lines.push_back("spi: disable channel " + std::to_string(ch));
    }
    lines.push_back("spi: clock master disabled");
    EXPECT_EQ(lines, linesOf(log_.text()));
    EXPECT_EQ(48, hal_.spiRegister(1, 87));
}

TEST_F(SpiChannels, DeviceThatCannotBeOpenedIsTriedAgainByTheNextChannelOperation)
{
    board_.board.set_missing("/dev/hal", true);
    connect({&start()});
    EXPECT_EQ(Strings({"spi: try init", "spi: /dev/hal open fail"}), spiLines());
    EXPECT_FALSE(spi_->polling());
    board_.board.set_missing("/dev/hal", false);
    spi_->clock(-1);
    EXPECT_TRUE(spi_->opened());
    EXPECT_EQ(0, hal_.spiRegister(0, 50));
}
