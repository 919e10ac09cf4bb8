// A request that fails is logged with the same decoded fields as one the
// model serves, whether the failure was injected, came from a broken
// descriptor or from the model itself: the log is what a user reads to see
// which channel, trunk or timeslot a failure hit.
#include "hardware/device/E1Requests.h"
#include "hardware/device/MccRequests.h"
#include "hardware/device/ToneDspRequests.h"
#include "hardware/device/VoiceDspRequests.h"
#include "sim/BoardModels.h"
#include "support/HexText.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <fcntl.h>
#include <sstream>

namespace {

enum class Kind { record, value, none };

struct Case {
    char const* path;
    Kind kind;
    unsigned long code;
    std::string argument; // the record in hexadecimal, or the value in decimal
    char const* logged;   // request name and fields
};

std::string text(Sim::LogEntry const& entry)
{
    std::ostringstream out;
    out << entry;
    return out.str();
}

class FailedRequestLog : public ::testing::Test {
protected:
    // Issues the request on fd as the case gives it; the errno on failure.
    int issue(int fd, Case const& c)
    {
        std::vector<std::uint8_t> record = bytes_of(c.argument);
        int result = 0;
        switch (c.kind) {
        case Kind::record:
            result = board_->request(fd, c.code, record.data(), record.size());
            break;
        case Kind::value:
            result = board_->request_value(fd, c.code, std::stoul(c.argument));
            break;
        case Kind::none:
            result = board_->request_none(fd, c.code);
            break;
        }
        return result < 0 ? errno : 0;
    }

    std::unique_ptr<Sim::SimulatedBoard> board_ = Sim::makeBoard();
};

} // namespace

TEST_F(FailedRequestLog, ShowsTheFieldsAServedRequestShows)
{
    using namespace Board;
    std::string const statusRecord = "00000002" + std::string(2 * (Maintenance::statusSize - 4), '0');
    Case const cases[] = {
        // The hal's request numbers: connect, read, spi-write, clock-select.
        {"/dev/hal", Kind::record, 0x80084d02, "00002008 00000005", "connect output=8200 source=5"},
        {"/dev/hal", Kind::record, 0xc0084d05, "00002008 000000FF", "read channel=8200"},
        {"/dev/hal", Kind::record, 0xc0034204, "03 33 85", "spi-write channel=3 register=51 value=133"},
        {"/dev/hal", Kind::record, 0x80044301, "00000004", "clock-select source=4"},
        {"/dev/e1-cas", Kind::value, Cas::OPEN_TRUNK, "2", "open-trunk trunk=2"},
        {"/dev/e1-cas", Kind::record, Cas::SET_BITS, "00000001 00000005 0009 0000", "set trunk=1 timeslot=5 value=9"},
        {"/dev/e1-cas", Kind::record, Cas::CONFIGURE, "00000001 00000005 0003 0000 00000000",
         "configure trunk=1 timeslot=5 code=3 open"},
        {"/dev/maintenance", Kind::record, Maintenance::STATUS, statusRecord, "status trunk=2"},
        {"/dev/maintenance", Kind::value, Maintenance::TCLK_MASK, "5", "tclk mask=0x5"},
        {"/dev/mcc/ctl", Kind::record, Mcc::MCC_ALLOCATE, "00000003 00000200 00000000 00000001 00000004",
         "MCC_ALLOCATE mode=3 words=512,0,1,4"},
        {"/dev/mcc/ctl", Kind::none, Mcc::MCC_TIMESLOT, "", "MCC_TIMESLOT"},
        {"/dev/dtmf", Kind::record, ToneDsp::DTMF_ENABLE_DETECTOR, "00000007 0000002A",
         "DTMF_ENABLE_DETECTOR ts=7 id=42"},
        {"/dev/dtmf", Kind::value, ToneDsp::DTMF_DISABLE_DETECTOR, "7", "DTMF_DISABLE_DETECTOR ts=7"},
        {"/dev/dsp", Kind::record, VoiceDsp::DSPROC_ENABLE, "00000006 00000009 00000001",
         "DSPROC_ENABLE ts=6 id=9 mask=1"},
        {"/dev/dsp", Kind::none, VoiceDsp::DSPROC_VERSION, "", "DSPROC_VERSION"},
        // A record too short to decode: the name alone, the model refuses it.
        {"/dev/hal", Kind::record, 0x80084d02, "00002008", "connect"},
    };
    for (Case const& c : cases) {
        SCOPED_TRACE(c.logged);
        std::string const prefix = std::string(c.path) + ' ' + c.logged;
        int fd = board_->open(c.path, O_RDWR);
        ASSERT_GE(fd, 0);
        board_->clear_log();

        board_->fail_next(c.path, 1, EBUSY);
        EXPECT_EQ(EBUSY, issue(fd, c));
        EXPECT_NE(EBUSY, issue(fd, c));
        board_->break_opens(c.path);
        EXPECT_EQ(EIO, issue(fd, c));

        auto const& log = board_->log();
        ASSERT_EQ(3u, log.size());
        EXPECT_EQ(prefix + " -> EBUSY", text(log[0]));
        // Serving may add what it found out ("byte=0xFF").
        EXPECT_EQ(0u, text(log[1]).find(prefix)) << text(log[1]);
        EXPECT_EQ(prefix + " -> EIO", text(log[2]));
        board_->close(fd);
    }
}

TEST_F(FailedRequestLog, ARequestTheModelDoesNotKnowShowsItsNumber)
{
    int fd = board_->open("/dev/e1-cas", O_RDWR);
    board_->clear_log();
    board_->fail_always("/dev/e1-cas", ENXIO);
    Case const value{"/dev/e1-cas", Kind::value, 0x1234, "7", ""};
    Case const none{"/dev/e1-cas", Kind::none, 0x1235, "", ""};
    EXPECT_EQ(ENXIO, issue(fd, value));
    EXPECT_EQ(ENXIO, issue(fd, none));
    ASSERT_EQ(2u, board_->log().size());
    EXPECT_EQ("/dev/e1-cas 0x1234 value=7 -> ENXIO", text(board_->log()[0]));
    EXPECT_EQ("/dev/e1-cas 0x1235 -> ENXIO", text(board_->log()[1]));
    board_->close(fd);
}
