// The bus-clock service through a control server on the simulated
// "/dev/hal": the free-running clock at every connection change, the
// source each clockCfg selects, the failure answers, and --disable-clock.
#include "hardware/BusCtl.h"
#include "hardware/SpiCtrl.h"
#include "tests/hardware/HalFixture.h"

namespace {

class BusClock : public HalServiceTest {
protected:
    void start()
    {
        spi_ = &make<spiCtrl>();
        bus_ = &make<BusCtl>(spi_);
    }

    std::string clockCfg(char const* sel, char const* bext, int source)
    {
        deliver(std::string("{ seq 3, pdu command : clockCfg : { clkSel0 ") + sel + ", bextEn " + bext +
                ", source " + std::to_string(source) + " } }");
        Strings answers = received();
        return answers.size() == 1 ? answers[0] : "answers: " + std::to_string(answers.size());
    }

    // The lines of the error stream that are not the printed configuration.
    Strings clockLines()
    {
        Strings lines;
        for (auto const& line : linesOf(errors_.text()))
            if (line.rfind("clkctl: ", 0) == 0 && line.find("cmd: ") == std::string::npos)
                lines.push_back(line);
        return lines;
    }

    spiCtrl* spi_ = nullptr;
    BusCtl* bus_ = nullptr;
};

std::string const success = "{ seq 3, pdu response : success : NULL }";

} // namespace

TEST_F(BusClock, EveryConnectionChangeFallsBackToTheFreeRunningClock)
{
    start();
    board_.board.clear_log();
    connect({bus_});
    EXPECT_EQ(Strings{"clock-select source=4 -> 0"}, board_.requests("clock-select"));
    EXPECT_EQ(4, hal_.clockSource());
    EXPECT_NE(std::string::npos, errors_.text().find("clkctl: set clock source cmd: "));
    EXPECT_EQ(Strings{"clkctl: clock source = freerun"}, clockLines());

    EXPECT_EQ(success, clockCfg("external", "enabled", 2));
    server_.Deactivate();
    EXPECT_EQ(Strings({"clock-select source=4 -> 0", "clock-select source=2 -> 0", "clock-select source=4 -> 0"}),
              board_.requests("clock-select"));
}

struct ClockCase {
    char const* sel;
    char const* bext;
    int source;
    Strings requests;
    Strings lines;
};

class ClockCommands : public BusClock, public ::testing::WithParamInterface<ClockCase> {};

void PrintTo(ClockCase const& c, std::ostream* out)
{
    *out << c.sel << '/' << c.bext << '/' << c.source;
}

TEST_P(ClockCommands, SelectTheSourceTheConfigurationNames)
{
    ClockCase const& c = GetParam();
    start();
    connect({bus_});
    board_.board.clear_log();
    errors_.clear();
    EXPECT_EQ(success, clockCfg(c.sel, c.bext, c.source));
    EXPECT_EQ(c.requests, board_.requests("clock-select"));
    EXPECT_EQ(c.lines, clockLines());
}

INSTANTIATE_TEST_SUITE_P(
    Sources, ClockCommands,
    ::testing::Values(
        ClockCase{"internal", "enabled", 2, {"clock-select source=4 -> 0"}, {"clkctl: clock source = freerun"}},
        ClockCase{"external", "disabled", 2, {"clock-select source=5 -> 0"}, {"clkctl: clock source = X3"}},
        ClockCase{"external", "enabled", 2, {"clock-select source=2 -> 0"}, {"clkctl: clock source = f2"}},
        ClockCase{"external", "enabled", 7, {"clock-select source=7 -> 0"}, {"clkctl: clock source = ?2"}},
        // Beyond the name table the number is printed.
        ClockCase{"external", "enabled", 8, {"clock-select source=8 -> 0"}, {"clkctl: clock source = 8"}},
        ClockCase{"external", "enabled", 2147483647, {"clock-select source=2147483647 -> 0"},
                  {"clkctl: clock source = 2147483647"}},
        // A trunk clock without a trunk selects nothing.
        ClockCase{"external", "enabled", -1, {}, {}}));

TEST_F(BusClock, ConfigurationIsPrintedInValueNotation)
{
    start();
    connect({bus_});
    errors_.clear();
    EXPECT_EQ(success, clockCfg("external", "enabled", 3));
    std::string const text = errors_.text();
    EXPECT_EQ(0u, text.find("clkctl: set clock source cmd: {")) << text;
    EXPECT_NE(std::string::npos, text.find("clkSel0 external")) << text;
    EXPECT_NE(std::string::npos, text.find("source 3")) << text;
}

TEST_F(BusClock, ARefusedSelectIsABusError)
{
    start();
    connect({bus_});
    errors_.clear();
    board_.board.fail_next("/dev/hal", 1);
    EXPECT_EQ("{ seq 3, pdu response : error : busError }", clockCfg("external", "enabled", 2));
    EXPECT_EQ(Strings{"clkctl: HW_CLOCK_SELECT fail."}, clockLines());
}

TEST_F(BusClock, ADeviceThatCannotBeOpenedIsABusErrorAndLeavesNoSpiClockMaster)
{
    start(); // the SPI service opens its device first
    board_.board.set_missing("/dev/hal", true);
    connect({bus_});
    board_.board.clear_log();
    errors_.clear();
    log_.clear();
    EXPECT_EQ("{ seq 3, pdu response : error : busError }", clockCfg("external", "enabled", 2));
    EXPECT_EQ(Strings{"clkctl: set clock source fail: code 1."}, linesOf(errors_.text()));
    Strings requests = board_.requests();
    ASSERT_EQ(9u, requests.size());
    EXPECT_EQ("open -> ENOENT", requests[0]);
    EXPECT_EQ("spi-write channel=0 register=87 value=48 -> 0", requests[1]);
    EXPECT_EQ("spi-write channel=7 register=87 value=48 -> 0", requests[8]);
    EXPECT_EQ(Strings{"spi: clock master disabled"}, linesOf(log_.text()));

    // The next command tries the device again.
    board_.board.set_missing("/dev/hal", false);
    EXPECT_EQ(success, clockCfg("external", "enabled", 2));
}

TEST_F(BusClock, DisabledControlLeavesTheClockAloneAndRefusesClockCommands)
{
    start();
    log_.clear();
    bus_->DisableControl();
    EXPECT_EQ(Strings{"clock control disabled."}, linesOf(log_.text()));
    board_.board.clear_log();
    connect({bus_});
    EXPECT_EQ("{ seq 3, pdu response : error : unsupported }", clockCfg("external", "enabled", 2));
    server_.Deactivate();
    EXPECT_EQ(Strings{}, board_.requests());
    EXPECT_EQ("", errors_.text());
}

TEST(ClockSourceNames, NameTheDriverSourcesAndNothingElse)
{
    char const* const names[] = {"f0", "f1", "f2", "f3", "freerun", "X3", "?1", "?2"};
    for (int source = 0; source < 8; ++source)
        EXPECT_STREQ(names[source], getclksrc_text(source));
    EXPECT_EQ(nullptr, getclksrc_text(8));
    EXPECT_EQ(nullptr, getclksrc_text(-1));
}
