#include "runtime/link/ConnectorNet.h"

#include "support/ConnectionTestSupport.h"
#include "support/LoopStepper.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using State = Control::Service::State;

namespace {

struct ConnectorFixture : ::testing::Test {
    ~ConnectorFixture() override
    {
        if (link) {
            link->Deactivate();
            link->UnBind();
        }
    }
    void make(std::unique_ptr<Control::ConnectorNet> connector)
    {
        link = std::move(connector);
        notify = std::make_unique<RecordingNotify>(*link);
        link->service_name("snmpagent.test 127.0.0.1");
        link->Bind(notify.get());
    }
    bool run_until_connected()
    {
        return loop.run_until([&] { return notify->count("connect") > 0; }, 3000);
    }
    // A port on which nobody listens.
    static unsigned closed_port()
    {
        TcpListener gone;
        return gone.port();
    }

    LoopStepper loop;
    StreamCapture output{std::cout};
    StreamCapture errors{std::cerr};
    StreamCapture log{std::clog};
    TcpListener peer;
    std::unique_ptr<Control::ConnectorNet> link;
    std::unique_ptr<RecordingNotify> notify;
};

} // namespace

TEST_F(ConnectorFixture, ConnectsToTheConfiguredPeerAndCarriesFrames)
{
    std::string const target = "127.0.0.1:" + std::to_string(peer.port());
    for (bool oneText : {false, true}) {
        SCOPED_TRACE(oneText ? "address text" : "host and port");
        output.clear();
        log.clear();
        make(oneText ? std::make_unique<Control::ConnectorNet>(target)
                     : std::make_unique<Control::ConnectorNet>("127.0.0.1", static_cast<unsigned short>(peer.port())));
        EXPECT_TRUE(link->Activate());
        ASSERT_TRUE(run_until_connected());
        TpktClient accepted(peer.accept_within(1000));
        ASSERT_TRUE(accepted.connected());
        EXPECT_EQ(State::Connected, link->state());
        EXPECT_EQ(target, link->peerName());
        // The connect finishes later, or (rarely on loopback) at once.
        EXPECT_TRUE(output.text() == "connected to " + target + ".\n" || log.text() == "already connected to " + target + "\n")
            << output.text() << log.text();

        link->Send("\x11\x22", 2);
        EXPECT_EQ("03 00 00 06 11 22", accepted.receive_hex(6));
        accepted.send(tpkt_frame("33"));
        ASSERT_TRUE(loop.run_until([&] { return notify->count("message") == 1; }, 3000));
        link->Deactivate();
        EXPECT_TRUE(accepted.closed_within(1000));
    }
    EXPECT_EQ("", errors.text());
}

TEST_F(ConnectorFixture, HostThatIsNoIPv4AddressIsALoggedFailure)
{
    unsigned short const port = static_cast<unsigned short>(peer.port());
    std::string const p = std::to_string(port);
    struct Case {
        std::function<Control::ConnectorNet*()> make;
        std::string line;
    };
    Case const cases[] = {
        {[&] { return new Control::ConnectorNet("localhost", port); }, "can't connect to localhost:" + p},
        {[&] { return new Control::ConnectorNet("", port); }, "can't connect to :" + p},
        {[&] { return new Control::ConnectorNet("gateway:" + p); }, "can't connect to gateway:" + p},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.line);
        errors.clear();
        make(std::unique_ptr<Control::ConnectorNet>(c.make()));
        EXPECT_TRUE(link->Activate());
        EXPECT_EQ(State::Idle, link->state());
        EXPECT_EQ(c.line + " : not an IPv4 address\n", errors.text());
        // 0.0.0.0 would reach the listener on 127.0.0.1.
        EXPECT_EQ(-1, peer.accept_within(100));
    }
}

TEST_F(ConnectorFixture, DisconnectOfAnIdleConnectorDoesNothing)
{
    make(std::make_unique<Control::ConnectorNet>("127.0.0.1", static_cast<unsigned short>(peer.port())));
    link->Disconnect();
    link->Activate();
    ASSERT_TRUE(run_until_connected());
    link->Deactivate();
    link->Disconnect();
    loop.run_until([] { return false; }, 50);
    EXPECT_EQ(State::Idle, link->state());
    EXPECT_THAT(notify->events, ElementsAre("connect Connected"));
    EXPECT_EQ("", errors.text());
}

TEST_F(ConnectorFixture, DisconnectDuringAnAttemptAbandonsIt)
{
    make(std::make_unique<Control::ConnectorNet>("127.0.0.1", static_cast<unsigned short>(peer.port())));
    link->Activate();
    if (link->state() == State::Connected)
        GTEST_SKIP() << "the connect finished at once";
    link->Disconnect();
    ASSERT_TRUE(loop.run_until([&] { return notify->count("disconnect") == 1; }, 3000));
    loop.run_until([] { return false; }, 100);
    EXPECT_EQ(State::Connecting, link->state());
    EXPECT_THAT(notify->events, ElementsAre("disconnect Connecting"));
    // The kernel completed the abandoned connection; it is closed, and no
    // other attempt follows it.
    TpktClient abandoned(peer.accept_within(1000));
    EXPECT_TRUE(abandoned.closed_within(1000));
    EXPECT_EQ(-1, peer.accept_within(100));
}

TEST_F(ConnectorFixture, DeactivationStopsTheRetriesAndActivationStartsThemAgain)
{
    make(std::make_unique<Control::ConnectorNet>("127.0.0.1", static_cast<unsigned short>(closed_port())));
    auto attempts = [&] { return occurrences(errors.text(), "connect to 127.0.0.1:"); };
    link->Activate();
    ASSERT_TRUE(loop.run_until([&] { return attempts() == 1; }, 3000));
    link->Deactivate();
    loop.advance(Control::ConnectorNet::fast_retry_ms + 500);
    EXPECT_EQ(1, attempts());
    link->Activate();
    ASSERT_TRUE(loop.run_until([&] { return attempts() == 2; })) << "a new attempt";
    loop.advance(Control::ConnectorNet::fast_retry_ms);
    ASSERT_TRUE(loop.run_until([&] { return attempts() == 3; })) << "and a fast retry";
    EXPECT_EQ(State::Connecting, link->state());
    EXPECT_THAT(notify->events, IsEmpty());
}

TEST_F(ConnectorFixture, LostConnectionIsReportedOnTheNextPass)
{
    make(std::make_unique<Control::ConnectorNet>("127.0.0.1", static_cast<unsigned short>(peer.port())));
    link->Activate();
    ASSERT_TRUE(run_until_connected());
    std::string const name = link->peerName();
    {
        TpktClient accepted(peer.accept_within(1000));
    }
    ASSERT_TRUE(loop.run_until([&] { return notify->count("disconnect") == 1; }, 3000));
    EXPECT_THAT(notify->events, ElementsAre("connect Connected", "disconnect Connecting"));
    EXPECT_EQ("control connection " + name + " closed.\n", errors.text());
}
