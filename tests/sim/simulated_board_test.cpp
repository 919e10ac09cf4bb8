// The simulated board's own contract, which every device model and every
// front-end test relies on: pollable descriptors that follow the model,
// requests logged as the model names them, and the injected failures.
#include "hardware/device/BigEndian.h"
#include "sim/SimulatedBoard.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <deque>
#include <fcntl.h>
#include <poll.h>
#include <sstream>
#include <unistd.h>

namespace {

// A device with one request (echo a word, doubled) and a queue of bytes to read.
class Loopback : public Sim::Device {
public:
    char const* path() const override { return "/dev/loopback"; }
    int request(Sim::Open&, unsigned long code, std::uint8_t* record, std::size_t size, Sim::RequestNote& note) override
    {
        if (code != 0xc0045801 || size != 4)
            return -EINVAL;
        std::uint32_t word = Board::get_be32(record);
        note.name = "double";
        note.fields = "word=" + std::to_string(word);
        Board::put_be32(record, word * 2);
        return 0;
    }
    ssize_t read(Sim::Open&, void* buffer, std::size_t size) override
    {
        if (queued.empty())
            return -EAGAIN;
        if (size == 0)
            return 0;
        *static_cast<char*>(buffer) = queued.front();
        queued.pop_front();
        return 1;
    }
    bool readable(Sim::Open const&) const override { return !queued.empty(); }
    bool writable(Sim::Open const&) const override { return !full; }
    bool control(std::vector<std::string> const& words, std::ostream& reply) override
    {
        if (words.size() == 2 && words[0] == "queue") {
            queued.push_back(words[1][0]);
            reply << "queued " << words[1][0] << '\n';
            return true;
        }
        return false;
    }

    std::deque<char> queued;
    bool full = false;
};

short pollOnce(int fd, short events)
{
    pollfd pfd{fd, events, 0};
    return ::poll(&pfd, 1, 0) == 1 ? pfd.revents : 0;
}

class SimulatedBoardTest : public ::testing::Test {
protected:
    SimulatedBoardTest() { device = static_cast<Loopback*>(&board.add(std::make_unique<Loopback>())); }
    std::string control(std::string const& line)
    {
        std::ostringstream reply;
        board.control(line, reply);
        return reply.str();
    }

    Sim::SimulatedBoard board;
    Loopback* device;
};

TEST_F(SimulatedBoardTest, RequestsReachTheModelAsBigEndianRecordsAndAreLogged)
{
    int fd = board.open("/dev/loopback", O_RDWR);
    ASSERT_GE(fd, 0);
    Board::Record<4> record;
    record.put32(0, 0x01020304);
    EXPECT_EQ(0, board.request(fd, 0xc0045801, record.data(), record.size()));
    EXPECT_EQ(0x02040608u, record.get32(0));
    EXPECT_EQ(-1, board.request(fd, 0x1234, record.data(), record.size()));
    EXPECT_EQ(EINVAL, errno);

    auto entries = board.log_of("/dev/loopback");
    ASSERT_EQ(3u, entries.size());
    std::ostringstream text;
    text << entries[1] << '|' << entries[2];
    EXPECT_EQ("/dev/loopback double word=16909060 -> 0|/dev/loopback 0x1234 -> EINVAL", text.str());
    ::close(fd);
}

TEST_F(SimulatedBoardTest, DescriptorPollsReadableExactlyWhileTheModelHasData)
{
    int fd = board.open("/dev/loopback", O_RDWR);
    int copy = ::dup(fd);
    EXPECT_EQ(0, pollOnce(fd, POLLIN));
    EXPECT_EQ("queued a\nok\n", control("loopback queue a"));
    EXPECT_EQ(POLLIN, pollOnce(copy, POLLIN));
    char byte = 0;
    EXPECT_EQ(1, board.read(copy, &byte, 1)); // a duplicate reaches the same open
    EXPECT_EQ('a', byte);
    EXPECT_EQ(0, pollOnce(fd, POLLIN));
    EXPECT_EQ(-1, board.read(fd, &byte, 1));
    EXPECT_EQ(EAGAIN, errno);

    device->full = true;
    board.refresh();
    EXPECT_EQ(0, pollOnce(fd, POLLOUT));
    device->full = false;
    board.refresh();
    EXPECT_EQ(POLLOUT, pollOnce(fd, POLLOUT));
    ::close(copy);
    board.close(fd);
}

TEST_F(SimulatedBoardTest, InjectedFailures)
{
    Board::Record<4> record;
    int fd = board.open("/dev/loopback", O_RDWR);
    EXPECT_EQ("ok\n", control("fail loopback next 2 19"));
    EXPECT_EQ(-1, board.request(fd, 0xc0045801, record.data(), 4));
    EXPECT_EQ(ENODEV, errno);
    EXPECT_EQ(-1, board.request(fd, 0xc0045801, record.data(), 4));
    EXPECT_EQ(0, board.request(fd, 0xc0045801, record.data(), 4));

    board.fail_always("/dev/loopback", EBUSY);
    EXPECT_EQ(-1, board.request(fd, 0xc0045801, record.data(), 4));
    EXPECT_EQ(EBUSY, errno);
    board.clear_failures("/dev/loopback");
    EXPECT_EQ(0, board.request(fd, 0xc0045801, record.data(), 4));

    board.break_opens("/dev/loopback");
    EXPECT_TRUE(pollOnce(fd, POLLIN) & POLLHUP);
    char byte;
    EXPECT_EQ(-1, board.read(fd, &byte, 1));
    EXPECT_EQ(EIO, errno);
    board.close(fd);

    EXPECT_EQ("ok\n", control("fail loopback missing"));
    EXPECT_EQ(-1, board.open("/dev/loopback", O_RDWR));
    EXPECT_EQ(ENOENT, errno);
    EXPECT_EQ(-1, board.open("/dev/unknown", O_RDWR));
    control("fail loopback present");
    fd = board.open("/dev/loopback", O_RDWR);
    EXPECT_GE(fd, 0);
    board.close(fd);
}

TEST_F(SimulatedBoardTest, FailLinesTakeTheErrnoByNameOrNumberAndEIOWhenOmitted)
{
    struct Case {
        char const* line;
        int failures; // requests that fail before one is served; -1: all
        int errnum;
    } const cases[] = {
        {"fail loopback next 1 EIO", 1, EIO},
        {"fail loopback next 2 EAGAIN", 2, EAGAIN},
        {"fail loopback next 1 EINTR", 1, EINTR},
        {"fail loopback next 1 ENODEV", 1, ENODEV},
        {"fail loopback next 1 ENXIO", 1, ENXIO},
        {"fail loopback next 1 EBUSY", 1, EBUSY},
        {"fail loopback next 1 ETIMEDOUT", 1, ETIMEDOUT},
        {"fail loopback next 3 19", 3, 19},
        {"fail loopback next 0x2 0x10", 2, 16},
        {"fail loopback next 0 EBUSY", 0, 0},
        {"fail loopback next 2", 2, EIO},
        {"fail /dev/loopback always EPIPE", -1, EPIPE},
        {"fail loopback always", -1, EIO},
    };
    Board::Record<4> record;
    int fd = board.open("/dev/loopback", O_RDWR);
    for (Case const& c : cases) {
        SCOPED_TRACE(c.line);
        ASSERT_EQ("ok\n", control(c.line));
        int const failing = c.failures < 0 ? 5 : c.failures;
        for (int i = 0; i < failing; ++i) {
            EXPECT_EQ(-1, board.request(fd, 0xc0045801, record.data(), 4));
            EXPECT_EQ(c.errnum, errno);
        }
        EXPECT_EQ(c.failures < 0 ? -1 : 0, board.request(fd, 0xc0045801, record.data(), 4));
        control("fail loopback off");
    }
    board.close(fd);
}

TEST_F(SimulatedBoardTest, FailLinesWithAWordNotUnderstoodAreRefusedAndInjectNothing)
{
    std::string const usage = "error: fail DEVICE next N [ERRNO] | always [ERRNO] | missing | present | break | off\n";
    struct Case {
        char const* line;
        std::string reply;
    } const cases[] = {
        {"fail loopback next 2 EBOGUS", "error: fail: unknown errno: EBOGUS\n"},
        {"fail loopback next 2 12abc", "error: fail: unknown errno: 12abc\n"},
        {"fail loopback always eio", "error: fail: unknown errno: eio\n"},
        {"fail loopback always 0", "error: fail: unknown errno: 0\n"},
        {"fail loopback always -5", "error: fail: unknown errno: -5\n"},
        {"fail loopback always 4096", "error: fail: unknown errno: 4096\n"},
        {"fail loopback next 12abc", "error: fail: not a count: 12abc\n"},
        {"fail loopback next -1 EIO", "error: fail: not a count: -1\n"},
        {"fail loopback next EIO", "error: fail: not a count: EIO\n"},
        {"fail loopback next 99999999999999999999", "error: fail: not a count: 99999999999999999999\n"},
        {"fail loopback next 4294967296", "error: fail: not a count: 4294967296\n"},
        {"fail nosuch next 1", "error: fail: unknown device: nosuch\n"},
        {"fail loopback next", usage},
        {"fail loopback next 2 EIO 5", usage},
        {"fail loopback always EIO EIO", usage},
        {"fail loopback missing now", usage},
        {"fail loopback off 2", usage},
        {"fail loopback sometimes", usage},
        {"fail loopback", usage},
        {"fail", usage},
    };
    Board::Record<4> record;
    int fd = board.open("/dev/loopback", O_RDWR);
    for (Case const& c : cases) {
        SCOPED_TRACE(c.line);
        EXPECT_EQ(c.reply, control(c.line));
        EXPECT_EQ(0, board.request(fd, 0xc0045801, record.data(), 4));
    }
    // Nor does a refused line change a failure already injected.
    control("fail loopback always EBUSY");
    EXPECT_NE("ok\n", control("fail loopback always EBOGUS"));
    EXPECT_NE("ok\n", control("fail loopback next x"));
    EXPECT_EQ(-1, board.request(fd, 0xc0045801, record.data(), 4));
    EXPECT_EQ(EBUSY, errno);
    board.close(fd);
}

TEST_F(SimulatedBoardTest, ABrokenDescriptorFailsEveryKindOfRequestWhileNewOpensWork)
{
    Board::Record<4> record;
    int broken = board.open("/dev/loopback", O_RDWR);
    board.fail_next("/dev/loopback", 1, ENODEV);
    control("fail loopback break");
    EXPECT_EQ(-1, board.request(broken, 0xc0045801, record.data(), 4));
    EXPECT_EQ(EIO, errno);
    EXPECT_EQ(-1, board.request_value(broken, 0x5802, 1));
    EXPECT_EQ(EIO, errno);
    EXPECT_EQ(-1, board.request_none(broken, 0x5803));
    EXPECT_EQ(EIO, errno);
    EXPECT_EQ("/dev/loopback 0x5802 value=1 -> EIO", [&] {
        std::ostringstream line;
        line << board.log_of("/dev/loopback")[2];
        return line.str();
    }());

    // The injected failure is still due, on the next open.
    int fresh = board.open("/dev/loopback", O_RDWR);
    EXPECT_EQ(-1, board.request(fresh, 0xc0045801, record.data(), 4));
    EXPECT_EQ(ENODEV, errno);
    EXPECT_EQ(0, board.request(fresh, 0xc0045801, record.data(), 4));
    EXPECT_EQ(-1, board.request(broken, 0xc0045801, record.data(), 4));
    board.close(broken);
    board.close(fresh);
}

TEST_F(SimulatedBoardTest, ControlLinesThatAreNotUnderstoodSayWhy)
{
    EXPECT_EQ("error: unknown command or device: nosuch\n", control("nosuch thing"));
    EXPECT_EQ("error: loopback: not understood\n", control("loopback frobnicate"));
    EXPECT_EQ(0u, control("fail loopback sometimes").find("error: fail DEVICE"));
    EXPECT_EQ("error: empty line\n", control("   "));
    board.open("/dev/loopback", O_RDWR);
    EXPECT_EQ("/dev/loopback open -> " + std::to_string(board.log().back().result) + "\nok\n", control("log"));
    control("log clear");
    EXPECT_TRUE(board.log().empty());
}

} // namespace

TEST(SimulatedBoardLog, KeepsTheNewestRequestsAndCountsTheOthers)
{
    Sim::SimulatedBoard board(3);
    board.add(std::make_unique<Loopback>());
    int fd = board.open("/dev/loopback", O_RDWR);
    Board::Record<4> record;
    for (std::uint32_t word = 1; word <= 5; ++word) {
        record.put32(0, word);
        board.request(fd, 0xc0045801, record.data(), record.size());
    }
    ASSERT_EQ(3u, board.log().size());
    EXPECT_EQ(3u, board.dropped()); // the open and the first two requests
    std::ostringstream reply;
    board.control("log", reply);
    EXPECT_EQ(0u, reply.str().find("(3 older requests dropped)\n/dev/loopback double word=3 -> 0\n"));
    board.close(fd);
}
