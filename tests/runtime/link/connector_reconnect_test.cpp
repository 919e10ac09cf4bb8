#include "runtime/link/ConnectorNet.h"

#include "support/ConnectionTestSupport.h"
#include "support/LoopStepper.h"

#include <gtest/gtest.h>

TEST(ConnectorReconnect, LostConnectionIsFollowedByANewAttemptTenSecondsLater)
{
    StreamCapture errors(std::cerr);
    StreamCapture output(std::cout);
    TcpListener peer;
    Control::ConnectorNet link("127.0.0.1", static_cast<unsigned short>(peer.port()));
    RecordingNotify notify(link);
    link.Bind(&notify);
    LoopStepper loop;

    link.Activate();
    ASSERT_TRUE(loop.run_until([&] { return notify.count("connect") == 1; }));
    close(peer.accept_within(1000));
    ASSERT_TRUE(loop.run_until([&] { return notify.count("disconnect") == 1; }));

    loop.advance(Control::ConnectorNet::reconnect_ms - 1);
    EXPECT_EQ(-1, peer.accept_within(0)) << "no attempt before the time";
    EXPECT_EQ(1, notify.count("connect"));
    loop.advance(1);
    ASSERT_TRUE(loop.run_until([&] { return notify.count("connect") == 2; }));
    TpktClient second(peer.accept_within(1000));
    EXPECT_TRUE(second.connected());
    EXPECT_EQ(-1, peer.accept_within(50)) << "one connection per attempt";
    link.Deactivate();
    link.UnBind();
}
