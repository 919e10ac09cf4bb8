#include "support/ConnectionTestSupport.h"
#include "support/EchoProcess.h"

#include <gtest/gtest.h>

TEST(EchoServerTimeout, IncompleteFrameIsDroppedAfterThreeSeconds)
{
    EchoProcess echo;
    ASSERT_NE(0u, echo.port()) << echo.errors();
    TpktClient client(echo.port());
    ASSERT_TRUE(client.send("03 00 00 10 41 42"));
    auto const start = std::chrono::steady_clock::now();
    ASSERT_TRUE(echo.errors_show(" TPKT packet timeout.\n", 8000));
    auto const waited =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
    EXPECT_GE(waited, 2900);
    EXPECT_LE(waited, 6000);

    std::vector<unsigned char> const frame = tpkt_frame("51 52");
    ASSERT_TRUE(client.send(frame));
    EXPECT_TRUE(client.receive(frame.size()) == frame) << "nothing of the dropped frame comes back";
}
