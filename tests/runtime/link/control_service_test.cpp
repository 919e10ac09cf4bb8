#include "runtime/link/ControlServiceNet.h"
#include "runtime/packet/TpktProtocol.h"

#include "support/ConnectionTestSupport.h"
#include "support/LoopStepper.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Not;

namespace {

// A TCP link whose socket comes from the test: one end of a socket pair is
// attached as if a peer at 127.0.0.1:4000 had connected.
class PairLink : public Control::ServiceNet {
public:
    // Returns the peer's end.
    int connect_pair()
    {
        int fds[2];
        EXPECT_EQ(0, socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds));
        INet4::Addr peer;
        peer.Assign("127.0.0.1:4000", nullptr);
        Connected(Fd(fds[0]), peer);
        return fds[1];
    }
    std::vector<std::string> calls;

protected:
    bool ImplActivate() override { return record("activate"), true; }
    void ImplDeactivate() override { record("deactivate"); }
    void ImplOnDisconnect() override { record("after loss"); }

private:
    void record(char const* call) { calls.push_back(call); }
};

struct ServiceFixture : ::testing::Test {
    ServiceFixture() { link.Bind(&notify); }
    ~ServiceFixture() override
    {
        link.Deactivate();
        link.UnBind();
        if (peer >= 0)
            close(peer);
    }
    void connect() { peer = link.connect_pair(); }
    void peer_writes(std::vector<unsigned char> const& bytes)
    {
        ASSERT_EQ(static_cast<ssize_t>(bytes.size()), write(peer, bytes.data(), bytes.size()));
    }
    std::string peer_reads(std::size_t size) { return TpktClient(dup(peer)).receive_hex(size, 2000); }
    bool run_until_disconnect() { return loop.run_until([&] { return notify.count("disconnect") > 0; }, 3000); }

    LoopStepper loop;
    StreamCapture errors{std::cerr};
    PairLink link;
    RecordingNotify notify{link};
    int peer = -1;
};

} // namespace

TEST_F(ServiceFixture, SendOutsideAConnectionIsDroppedWithTheStateNamed)
{
    link.Send("x", 1);
    link.Activate();
    link.Send("x", 1);
    EXPECT_EQ("Control::Service::Send() ignore Send request in Idle state.\n"
              "Control::Service::Send() ignore Send request in Connecting state.\n",
              errors.text());
    EXPECT_STREQ("Unknown", Control::GetTextNotation(static_cast<Control::Service::State::Type>(7)));
}

TEST_F(ServiceFixture, EachFrameGivesOneMessageAndEachSendOneFrame)
{
    connect();
    EXPECT_THAT(notify.events, ElementsAre("connect Connected"));
    EXPECT_EQ("127.0.0.1:4000", link.peerName());
    // A socket pair has no Nagle algorithm to turn off; the link goes on.
    EXPECT_EQ("fail to turn off Nagle algorithm.\n", errors.text());

    std::vector<unsigned char> two = tpkt_frame("41");
    std::vector<unsigned char> second = tpkt_frame("42 43");
    two.insert(two.end(), second.begin(), second.end());
    peer_writes(two);
    std::vector<unsigned char> split = tpkt_frame("44 45 46");
    peer_writes({split.begin(), split.begin() + 1});
    ASSERT_TRUE(loop.run_until([&] { return notify.count("message") == 2; }, 2000));
    peer_writes({split.begin() + 1, split.begin() + 3});
    loop.run_until([] { return false; }, 20);
    peer_writes({split.begin() + 3, split.end()});
    ASSERT_TRUE(loop.run_until([&] { return notify.count("message") == 3; }, 2000));
    EXPECT_THAT(notify.events, ElementsAre("connect Connected", "message 41", "message 42 43", "message 44 45 46"));

    link.Send("ABC", 3);
    link.Send(nullptr, 0);
    EXPECT_EQ("03 00 00 07 41 42 43 03 00 00 04", peer_reads(11));
}

TEST_F(ServiceFixture, MessagesLongerThanOneFrameAreRefused)
{
    connect();
    errors.clear();
    std::vector<char> data(Tpkt_protocol::max_payload + 1, 'z');
    link.Send(data.data(), static_cast<int>(data.size()));
    link.Send(data.data(), -1);
    EXPECT_EQ("Control::Service::Send() ignore Send request of 65532 bytes: more than one frame.\n"
              "Control::Service::Send() ignore Send request of -1 bytes: more than one frame.\n",
              errors.text());
    link.Send(data.data(), static_cast<int>(data.size() - 1));
    TpktClient reader(dup(peer));
    std::vector<unsigned char> frame = reader.receive(65535, 2000);
    ASSERT_EQ(65535u, frame.size());
    EXPECT_TRUE(reader.receive(1, 50).empty());
    EXPECT_EQ("03 00 FF FF 7A", packet_of(std::vector<unsigned char>(frame.begin(), frame.begin() + 5)).text());
}

TEST_F(ServiceFixture, LossIsReportedOnceOnTheNextPassWithTheLinkConnectingAgain)
{
    link.Activate();
    connect();
    errors.clear();
    notify.action = [&](std::string const& event) {
        if (event.rfind("disconnect", 0) == 0)
            link.Send("late", 4);
    };
    link.Disconnect();
    EXPECT_EQ(Control::Service::State::Deactivating, link.state());
    link.Disconnect();
    EXPECT_TRUE(TpktClient(dup(peer)).closed_within(1000)) << "the peer sees the connection closed at once";
    ASSERT_TRUE(run_until_disconnect());
    EXPECT_THAT(notify.events, ElementsAre("connect Connected", "disconnect Connecting"));
    EXPECT_THAT(link.calls, ElementsAre("deactivate", "activate", "after loss"));
    EXPECT_EQ("control connection 127.0.0.1:4000 closed.\n"
              "Control::Service::Send() ignore Send request in Connecting state.\n",
              errors.text());
}

TEST_F(ServiceFixture, FramesThatArriveAfterTheLossInTheSameReadAreDropped)
{
    connect();
    notify.action = [&](std::string const& event) {
        if (event.rfind("message", 0) == 0)
            link.Disconnect();
    };
    std::vector<unsigned char> frames = tpkt_frame("01");
    std::vector<unsigned char> second = tpkt_frame("02");
    frames.insert(frames.end(), second.begin(), second.end());
    peer_writes(frames);
    ASSERT_TRUE(run_until_disconnect());
    EXPECT_THAT(notify.events, ElementsAre("connect Connected", "message 01", "disconnect Connecting"));
}

TEST_F(ServiceFixture, DisconnectWithoutAPeer)
{
    // A deactivated link has nothing to drop and stays as it is.
    link.Disconnect();
    loop.run_until([] { return false; }, 30);
    EXPECT_THAT(notify.events, IsEmpty());
    EXPECT_EQ(Control::Service::State::Idle, link.state());
    EXPECT_EQ("", errors.text());

    // A link waiting for its peer runs the loss sequence all the same.
    link.Activate();
    link.Disconnect();
    ASSERT_TRUE(run_until_disconnect());
    EXPECT_THAT(notify.events, ElementsAre("disconnect Connecting"));
    EXPECT_EQ("control connection  closed.\n", errors.text());
}

TEST_F(ServiceFixture, DeactivatedLinkKeepsDeliveringUntilItsConnectionEnds)
{
    link.Activate();
    connect();
    errors.clear();
    link.Deactivate();
    EXPECT_EQ(Control::Service::State::Idle, link.state());
    peer_writes(tpkt_frame("07"));
    ASSERT_TRUE(loop.run_until([&] { return notify.count("message") == 1; }, 2000));
    link.Send("x", 1);
    EXPECT_THAT(errors.text(), HasSubstr("ignore Send request in Idle state."));

    close(peer);
    peer = -1;
    ASSERT_TRUE(run_until_disconnect());
    EXPECT_THAT(notify.events, ElementsAre("connect Connected", "message 07", "disconnect Idle"));
    EXPECT_EQ(Control::Service::State::Idle, link.state()) << "a deactivated link does not start connecting";
    EXPECT_THAT(link.calls, Not(::testing::Contains("after loss")));
}

TEST_F(ServiceFixture, ActivationDuringTheLossIsKept)
{
    link.Activate();
    connect();
    link.Disconnect();
    link.Activate();
    ASSERT_TRUE(run_until_disconnect());
    EXPECT_EQ(Control::Service::State::Connecting, link.state());
    EXPECT_THAT(link.calls, ElementsAre("deactivate", "activate", "deactivate", "activate"));
}

TEST_F(ServiceFixture, UnboundLinkDropsWhatArrives)
{
    connect();
    link.UnBind();
    peer_writes(tpkt_frame("01"));
    close(peer);
    peer = -1;
    loop.run_until([&] { return link.state() == Control::Service::State::Connecting; }, 2000);
    EXPECT_THAT(notify.events, ElementsAre("connect Connected"));
}
