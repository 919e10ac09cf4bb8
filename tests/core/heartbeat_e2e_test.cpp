// The heartbeat of the real server: two minutes after the controller's last
// command the server closes the connection. A program of its own, so that
// its two minutes run alongside the other tests.
#include "support/ControllerLink.h"

#include <gtest/gtest.h>

using namespace e2e;

TEST(Heartbeat, SilentControllerIsDroppedTwoMinutesAfterItsLastCommand)
{
    ServerUnderTest server;
    unsigned short port = server.startOnFreePort();
    ControllerLink controller;
    ASSERT_TRUE(controller.connectServed(port));
    auto lastCommand = Clock::now();

    EXPECT_TRUE(controller.closedByServer(milliseconds(130000) + patience(milliseconds(5000))));
    auto silence = std::chrono::duration_cast<milliseconds>(Clock::now() - lastCommand).count();
    EXPECT_GE(silence, 119000);
    EXPECT_TRUE(server.errShows("heartbeat timeout!!!\n"));

    ControllerLink next;
    EXPECT_TRUE(next.connectServed(port));
    std::string err = server.err();
    EXPECT_EQ(err.find("heartbeat timeout!!!"), err.rfind("heartbeat timeout!!!"));
    ASSERT_TRUE(server.signal(SIGTERM));
    EXPECT_EQ(0, exitCode(server.waitExit()));
}
