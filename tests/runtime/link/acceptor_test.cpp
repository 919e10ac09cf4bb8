#include "runtime/link/AcceptorNetCheckConnection.h"

#include "support/ConnectionTestSupport.h"
#include "support/LoopProbes.h"
#include "support/LoopStepper.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <netinet/tcp.h>

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using State = Control::Service::State;

namespace {

class CheckedAcceptor : public Control::AcceptorNetCheckConnection {
public:
    CheckedAcceptor() : AcceptorNetCheckConnection(0) {}
    using AcceptorNetCheckConnection::CheckConnection;
    using AcceptorNetCheckConnection::checkFd;
};

// SO_KEEPALIVE, TCP_KEEPIDLE, TCP_KEEPINTVL and TCP_KEEPCNT of a socket.
std::vector<int> keep_alive(int fd)
{
    std::vector<int> values;
    std::pair<int, int> const options[] = {
        {SOL_SOCKET, SO_KEEPALIVE}, {IPPROTO_TCP, TCP_KEEPIDLE}, {IPPROTO_TCP, TCP_KEEPINTVL}, {IPPROTO_TCP, TCP_KEEPCNT}};
    for (auto const& option : options) {
        int value = -1;
        socklen_t size = sizeof value;
        getsockopt(fd, option.first, option.second, &value, &size);
        values.push_back(value);
    }
    return values;
}

// Whether the system hands back a whole tcp_info record (an emulator may
// not), without which the watch cannot end on its own.
bool tcp_info_available(int fd)
{
    unsigned char info[92];
    socklen_t size = sizeof info;
    return getsockopt(fd, IPPROTO_TCP, TCP_INFO, info, &size) == 0 && size == sizeof info;
}

template <class Acceptor>
struct AcceptorFixture : ::testing::Test {
    AcceptorFixture()
    {
        link.service_name("test");
        link.Bind(&notify);
        EXPECT_TRUE(link.Activate());
        port = link.bound_port();
    }
    ~AcceptorFixture() override
    {
        link.Deactivate();
        link.UnBind();
    }
    // A client that the link has taken as its peer.
    std::unique_ptr<TpktClient> attach_client()
    {
        auto client = std::make_unique<TpktClient>(port);
        int const connects = notify.count("connect");
        EXPECT_TRUE(loop.run_until([&] { return notify.count("connect") > connects; }));
        return client;
    }
    bool logged(std::string const& text) const { return errors.text().find(text) != std::string::npos; }
    bool run_until_logged(std::string const& text)
    {
        return loop.run_until([&] { return logged(text); });
    }
    // One frame from the client comes back from the link.
    void expect_echo(TpktClient& client, std::string const& hex)
    {
        notify.action = [&](std::string const& event) {
            if (event.rfind("message ", 0) == 0) {
                std::vector<unsigned char> payload = bytes_of(event.substr(8));
                link.Send(reinterpret_cast<char const*>(payload.data()), static_cast<int>(payload.size()));
            }
        };
        ASSERT_TRUE(client.send(tpkt_frame(hex)));
        int const messages = notify.count("message");
        ASSERT_TRUE(loop.run_until([&] { return notify.count("message") > messages; }));
        EXPECT_EQ(packet_of(tpkt_frame(hex)).text(), client.receive_hex(tpkt_frame(hex).size()));
        notify.action = nullptr;
    }

    LoopStepper loop;
    StreamCapture output{std::cout};
    StreamCapture errors{std::cerr};
    Acceptor link;
    RecordingNotify notify{link};
    unsigned port = 0;
};

using PlainAcceptor = AcceptorFixture<Control::AcceptorNet>;
using CheckAcceptor = AcceptorFixture<CheckedAcceptor>;

} // namespace

TEST_F(PlainAcceptor, ServesOnePeerAndRefusesEveryOther)
{
    ASSERT_NE(0u, port);
    EXPECT_EQ(State::Connecting, link.state());
    auto first = attach_client();
    EXPECT_EQ("new connection from " + first->name() + "\n", output.text());
    EXPECT_EQ(first->name(), link.peerName());
    EXPECT_EQ(first->port(), link.peerAddr().GetPort());

    TpktClient second(port);
    ASSERT_TRUE(run_until_logged("refuse connection from " + second.name()));
    EXPECT_TRUE(second.closed_within(1000));
    expect_echo(*first, "01 02 03");
    EXPECT_EQ("refuse connection from " + second.name() + "\n", errors.text());
    EXPECT_THAT(notify.events, ElementsAre("connect Connected", "message 01 02 03"));
}

TEST_F(PlainAcceptor, DeactivationClosesTheListenerButKeepsThePeer)
{
    auto peer = attach_client();
    link.Deactivate();
    EXPECT_EQ(0u, link.bound_port());
    EXPECT_FALSE(TpktClient(port).connected());
    peer->send(tpkt_frame("0A"));
    ASSERT_TRUE(loop.run_until([&] { return notify.count("message") == 1; }));
}

TEST_F(CheckAcceptor, PeersKnockingWhileOneIsConnectedAreRefusedAndStartTheWatch)
{
    // Two connections pending at one wake-up: the first is attached, the
    // second refused in the same callback.
    TpktClient first(port);
    TpktClient second(port);
    ASSERT_TRUE(run_until_logged("CheckConnectionState CheckConnection"));
    EXPECT_EQ(first.name(), link.peerName());
    EXPECT_TRUE(second.closed_within(1000));
    EXPECT_THAT(keep_alive(link.checkFd().get()), ElementsAre(1, 1, 1, 3));

    TpktClient third(port);
    ASSERT_TRUE(run_until_logged("refuse connection from " + third.name()));
    EXPECT_EQ("refuse connection from " + second.name() + "\nCheckConnectionState CheckConnection\n"
              "refuse connection from " + third.name() + "\n",
              errors.text());
    if (!tcp_info_available(link.checkFd().get()))
        GTEST_SKIP() << "no tcp_info record on this system";
    // The peer is alive and acknowledging: the check a second after the
    // watch began ends it.
    loop.advance(Control::AcceptorNetCheckConnection::check_interval_ms - 1);
    EXPECT_FALSE(logged("CheckConnectionState Idle"));
    loop.advance(1);
    EXPECT_TRUE(logged("CheckConnectionState Idle"));
    EXPECT_THAT(keep_alive(link.checkFd().get()), ElementsAre(1, 7200, 75, 9));
    EXPECT_EQ(State::Connected, link.state());
    expect_echo(first, "33");
}

TEST_F(CheckAcceptor, CheckDropsAResetPeerAndTheNextOneGetsIn)
{
    auto peer = attach_client();
    std::string const name = peer->name();
    bool const info = tcp_info_available(link.checkFd().get());
    peer->reset();
    pollfd p = {link.checkFd().get(), POLLIN, 0};
    ASSERT_EQ(1, poll(&p, 1, 2000));
    link.CheckConnection();
    EXPECT_EQ(State::Deactivating, link.state());
    std::string const lines = errors.text();
    if (info) {
        EXPECT_THAT(lines, HasSubstr("connection from " + name + " closed: tcp socket change state.\n"));
    }
    EXPECT_THAT(lines, HasSubstr("connection from " + name + " closed: Connection reset by peer\n"
                                 "control connection " + name + " closed.\n"
                                 "CheckConnectionState Idle\n"));
    ASSERT_TRUE(loop.run_until([&] { return notify.count("disconnect") == 1; }));
    EXPECT_THAT(notify.events, ElementsAre("connect Connected", "disconnect Connecting"));
    auto next = attach_client();
    EXPECT_EQ(next->name(), link.peerName());
}

TEST_F(CheckAcceptor, ADroppedConnectionIsClosedTowardsThePeer)
{
    struct Case {
        char const* how;
        std::function<void(CheckAcceptor&, TpktClient&)> drop;
    };
    Case const cases[] = {
        {"Disconnect", [](CheckAcceptor& f, TpktClient&) { f.link.Disconnect(); }},
        {"peer ends its side", [](CheckAcceptor&, TpktClient& c) { shutdown(c.fd(), SHUT_WR); }},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.how);
        auto peer = attach_client();
        int const losses = notify.count("disconnect");
        c.drop(*this, *peer);
        ASSERT_TRUE(loop.run_until([&] { return notify.count("disconnect") > losses; }));
        EXPECT_TRUE(peer->closed_within(1000)) << "no socket left open on this side";
        EXPECT_FALSE(link.checkFd());
    }
}

TEST_F(CheckAcceptor, PeerKnockingWhileTheLastOneIsTornDownIsRefused)
{
    // The pipe's handler is serviced before the listener in the same pass,
    // so the listener finds the link Deactivating.
    looptest::Pipe pipe;
    looptest::Probe dropper("dropper", [&](looptest::Probe& probe, short revents) {
        if (revents & POLLIN) {
            probe.drain();
            link.Disconnect();
        }
    });
    link.Deactivate();
    dropper.watch(pipe.read, POLLIN);
    link.Activate();
    port = link.bound_port();
    auto first = attach_client();
    pipe.put();
    TpktClient knocking(port);
    ASSERT_TRUE(loop.run_until([&] { return notify.count("disconnect") == 1; }));
    EXPECT_TRUE(knocking.closed_within(1000));
    EXPECT_EQ("control connection " + first->name() + " closed.\nrefuse connection from " + knocking.name() + "\n",
              errors.text());
    auto next = attach_client();
    EXPECT_EQ(next->name(), link.peerName());
    expect_echo(*next, "44");
}

TEST_F(CheckAcceptor, APartialFrameIsDroppedThreeSecondsAfterItsLastBytesAndTheNextFrameArrives)
{
    StreamCapture log(std::clog);
    auto peer = attach_client();
    // The whole frame in the same write shows when the partial one was read.
    ASSERT_TRUE(peer->send("03 00 00 05 AA 03 00 00 10 41 42"));
    ASSERT_TRUE(loop.run_until([&] { return notify.count("message") == 1; }));
    loop.advance(2999);
    EXPECT_EQ("", log.text());
    loop.advance(1);
    EXPECT_EQ(" TPKT packet timeout.\n", log.text());

    ASSERT_TRUE(peer->send(tpkt_frame("51 52")));
    ASSERT_TRUE(loop.run_until([&] { return notify.count("message") == 2; }));
    EXPECT_THAT(notify.events, ElementsAre("connect Connected", "message AA", "message 51 52"));
}
