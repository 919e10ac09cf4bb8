#include "runtime/packet/StrmProtocol.h"
#include "runtime/packet/TpktProtocol.h"

#include "support/LoopProbes.h"
#include "support/LoopStepper.h"
#include "support/ProtocolTestSupport.h"
#include "support/ScratchRoot.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cerrno>
#include <fstream>
#include <sys/stat.h>
#include <numeric>
#include <sys/socket.h>
#include <unistd.h>

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Not;
using ::testing::StartsWith;

namespace {

// A stream layer on one end of a connected socket pair, alone in a
// recording owner; the test plays the peer on the other end.
struct StreamPair : ::testing::Test {
    StreamPair()
    {
        int fds[2];
        EXPECT_EQ(0, socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds));
        peer = fds[1];
        strm = new StrmProtocol(Fd(fds[0]));
        owner.add_protocol_tail(strm);
    }
    ~StreamPair() override
    {
        if (peer >= 0)
            close(peer);
    }

    void peer_writes(std::vector<unsigned char> const& bytes)
    {
        ASSERT_EQ(static_cast<ssize_t>(bytes.size()), write(peer, bytes.data(), bytes.size()));
    }
    std::string peer_reads(std::size_t size)
    {
        std::vector<unsigned char> bytes(size);
        std::size_t got = 0;
        while (got < size) {
            ssize_t n = read(peer, bytes.data() + got, size - got);
            if (n <= 0)
                break;
            got += static_cast<std::size_t>(n);
        }
        bytes.resize(got);
        return packet_of(bytes).text();
    }
    void close_peer()
    {
        close(peer);
        peer = -1;
    }
    unsigned total_received() const
    {
        return std::accumulate(owner.received_lengths.begin(), owner.received_lengths.end(), 0u);
    }

    RecordingOwner owner;
    StrmProtocol* strm;
    int peer = -1;
};

// The same, driven by the loop stepper on the test clock.
struct StreamFixture : StreamPair {
    LoopStepper loop;
};

} // namespace

TEST_F(StreamFixture, BytesFromThePeerGoUpAsPackets)
{
    strm->activate();
    EXPECT_EQ(1, owner.activations);
    peer_writes(bytes_of("68 65 6C 6C 6F"));
    ASSERT_TRUE(loop.run_until([&] { return !owner.received.empty(); }, 2000));
    EXPECT_THAT(owner.received, ElementsAre("68 65 6C 6C 6F"));
    EXPECT_THAT(owner.statuses, IsEmpty());
}

TEST_F(StreamFixture, OneReadPerNoticeOfAtMostOneBody)
{
    std::vector<unsigned char> burst(70000, 0x42);
    peer_writes(burst);
    strm->activate();
    ASSERT_TRUE(loop.run_until([&] { return total_received() == 70000; }, 3000));
    EXPECT_THAT(owner.received_lengths, ElementsAre(65536u, 4464u));
}

TEST_F(StreamFixture, LastBytesOfAClosingPeerAreDeliveredBeforeTheError)
{
    strm->activate();
    peer_writes(bytes_of("62 79 65"));
    close_peer();
    ASSERT_TRUE(loop.run_until([&] { return !owner.statuses.empty(); }, 2000));
    EXPECT_THAT(owner.received, ElementsAre("62 79 65"));
    ASSERT_EQ(1u, owner.statuses.size());
    EXPECT_THAT(owner.statuses[0], StartsWith("error read error: "));
    EXPECT_FALSE(strm->attached());
}

TEST_F(StreamFixture, WritesTheWholePayload)
{
    std::vector<unsigned char> bytes(3000);
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<unsigned char>(i);
    Packet p = packet_of(bytes);
    strm->message(p);
    EXPECT_EQ(p.text(), peer_reads(bytes.size()));
    EXPECT_EQ(3000u, p.length()) << "the packet is left as it was";
    EXPECT_EQ(0u, strm->overflow_counter());
}

// A temporary SERVER_ROOT with a regular file in place of the watchdog.
class WatchdogFile {
public:
    WatchdogFile() { root_.write("/dev/misc/gw-wd", ""); }
    std::string written() const { return root_.read("/dev/misc/gw-wd"); }

private:
    ScratchRoot root_;
};

// The write budget is spent inside one blocking call, waiting in poll for
// the socket, so this test runs the loop on the real clock: the one second
// is real, and only its lower bound, which poll guarantees, is checked.
TEST_F(StreamPair, WriteToAFullSocketFeedsTheWatchdogAndTimesOutAfterOneSecond)
{
    StreamCapture errors(std::cerr);
    WatchdogFile watchdog;
    strm->service_name("link");
    // Nobody reads the peer's end: the socket fills up and one call ends in
    // the time-out, counted from the start of that call. The loop runs with
    // the watchdog open, so the layer's pings land in the file.
    Packet p = packet_of(std::vector<unsigned char>(65536, 0x11));
    int32_t elapsed = 0;
    std::size_t fed_before = 0;
    std::string words;
    looptest::After write_until_full(0, [&] {
        for (int i = 0; i < 100 && owner.statuses.empty(); ++i) {
            fed_before = watchdog.written().size();
            uint32_t start = Mux::milliseconds();
            strm->message(p);
            elapsed = Mux::msdiff(Mux::milliseconds(), start);
        }
        words = watchdog.written().substr(fed_before);
        multiplexer.terminate();
    });
    multiplexer.run(true, true);

    EXPECT_GE(elapsed, 990);
    EXPECT_GE(occurrences(words, "PING"), 2) << words;
    EXPECT_EQ(words.size(), 4u * occurrences(words, "PING")) << words;
    EXPECT_THAT(owner.statuses, ElementsAre("error write timeout"));
    EXPECT_EQ(1u, strm->overflow_counter());
    EXPECT_FALSE(strm->attached());
    std::string line = errors.text();
    EXPECT_THAT(line, StartsWith("SockStream[link]: write timeout, sendbuf="));
    EXPECT_THAT(line, HasSubstr(", recvbuf="));
    EXPECT_THAT(line, HasSubstr(", free="));
    EXPECT_THAT(line, HasSubstr(", inq="));
    EXPECT_THAT(line, HasSubstr(", outq="));
    EXPECT_THAT(line, Not(HasSubstr("error=")));
}

TEST_F(StreamFixture, WriteToAVanishedPeerIsAnErrorNotASignal)
{
    StreamCapture errors(std::cerr);
    close_peer();
    Packet p = packet_of("01 02 03");
    strm->message(p);
    EXPECT_THAT(owner.statuses, ElementsAre("error write error: " + std::string(strerror(EPIPE))));
    EXPECT_EQ(1u, strm->overflow_counter());
    EXPECT_THAT(errors.text(), StartsWith("SockStream[]: write error, sendbuf="));
    EXPECT_THAT(errors.text(), HasSubstr(", error=" + std::string(strerror(EPIPE)) + "\n"));
    EXPECT_FALSE(strm->attached());
}

TEST_F(StreamFixture, DeactivationClosesTheSocketAndReportsSuccess)
{
    strm->activate();
    strm->deactivate();
    EXPECT_THAT(owner.statuses, ElementsAre("ok success"));
    EXPECT_FALSE(strm->attached());
    char byte;
    EXPECT_EQ(0, read(peer, &byte, 1)) << "the peer sees the end of the stream";
}

TEST(StreamLayer, ActivationWithoutASocketReportsAFailure)
{
    RecordingOwner owner;
    auto* strm = new StrmProtocol;
    owner.add_protocol_tail(strm);
    strm->activate();
    EXPECT_THAT(owner.statuses, ElementsAre("error fd not attached"));
    EXPECT_EQ(0, owner.activations);
}

TEST_F(StreamFixture, StreamAndTpktLayersCarryFramesBothWays)
{
    StreamCapture log(std::clog);
    auto* tpkt = new Tpkt_protocol;
    owner.add_protocol_tail(tpkt);
    tpkt->activate();
    EXPECT_EQ(1, owner.activations);

    peer_writes(bytes_of("03 00 00 06 0A"));
    ASSERT_TRUE(loop.run_until([&] { return tpkt->state() == Tpkt_protocol::body; }, 2000));
    peer_writes(bytes_of("0B 55 03 00 00 05 0C"));
    ASSERT_TRUE(loop.run_until([&] { return owner.received.size() == 2; }, 2000));
    EXPECT_THAT(owner.received, ElementsAre("0A 0B", "0C"));
    EXPECT_EQ(1, occurrences(log.text(), "TPKT"));
    EXPECT_EQ(1, occurrences(log.text(), "(no name) bad TPKT packet start.\n"));

    Packet p;
    tpkt->prepare_head(p);
    EXPECT_EQ(4u, p.headroom());
    p.put8(0xAA);
    tpkt->message(p);
    EXPECT_EQ("03 00 00 05 AA", peer_reads(5));

    close_peer();
    ASSERT_TRUE(loop.run_until([&] { return !owner.statuses.empty(); }, 2000));
    EXPECT_THAT(owner.statuses[0], StartsWith("error read error: "));
}
