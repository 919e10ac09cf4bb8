#include "runtime/link/ConnectorNet.h"

#include "support/ConnectionTestSupport.h"
#include "support/LoopTestSupport.h"

#include <gtest/gtest.h>

TEST(ConnectorReconnect, LostConnectionIsFollowedByANewAttemptTenSecondsLater)
{
    StreamCapture errors(std::cerr);
    StreamCapture output(std::cout);
    TcpListener peer;
    Control::ConnectorNet link("127.0.0.1", static_cast<unsigned short>(peer.port()));
    RecordingNotify notify(link);
    link.Bind(&notify);
    LoopRunner loop;

    link.Activate();
    ASSERT_TRUE(loop.run_until([&] { return notify.count("connect") == 1; }, 3000));
    close(peer.accept_within(1000));
    ASSERT_TRUE(loop.run_until([&] { return notify.count("disconnect") == 1; }, 3000));
    uint32_t const lost = Mux::milliseconds();
    ASSERT_TRUE(loop.run_until([&] { return notify.count("connect") == 2; }, 15000));
    int32_t const wait = Mux::msdiff(Mux::milliseconds(), lost);
    EXPECT_GE(wait, static_cast<int32_t>(Control::ConnectorNet::reconnect_ms) - 100);
    EXPECT_LE(wait, static_cast<int32_t>(Control::ConnectorNet::reconnect_ms) + 3000);
    TpktClient second(peer.accept_within(1000));
    EXPECT_TRUE(second.connected());
    EXPECT_EQ(-1, peer.accept_within(50)) << "one connection per attempt";
    link.Deactivate();
    link.UnBind();
}
