#include "support/ConnectionTestSupport.h"
#include "support/EchoProcess.h"

#include <gtest/gtest.h>

#include <fcntl.h>

// A client that sends but stops reading: the echo's write waits for room,
// gives up after its time limit and the link is dropped; the server goes on
// serving the next client.
TEST(EchoServerStalledClient, WriteTimeoutDropsTheLinkAndTheNextClientIsServed)
{
    EchoProcess echo;
    ASSERT_NE(0u, echo.port()) << echo.errors();
    int const fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    int const small = 4096;
    setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &small, sizeof small);
    sockaddr_in const address = loopback(echo.port());
    ASSERT_EQ(0, connect(fd, reinterpret_cast<sockaddr const*>(&address), sizeof address));
    TpktClient stalled(fd);
    std::string const name = stalled.name();
    fcntl(fd, F_SETFL, O_NONBLOCK);

    std::vector<unsigned char> const frame = tpkt_frame(std::vector<unsigned char>(60000, 0x5A));
    std::size_t sent = 0;
    auto const end = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (std::chrono::steady_clock::now() < end && echo.errors().find(" closed.\n") == std::string::npos) {
        pollfd p = {fd, POLLOUT, 0};
        if (poll(&p, 1, 100) != 1)
            continue;
        ssize_t n = send(fd, frame.data() + sent % frame.size(), frame.size() - sent % frame.size(), MSG_NOSIGNAL);
        if (n < 0 && errno != EAGAIN)
            break;
        if (n > 0)
            sent += static_cast<std::size_t>(n);
    }
    ASSERT_TRUE(echo.errors_show("control connection " + name + " closed.\n", 5000)) << "after " << sent << " bytes";
    EXPECT_NE(std::string::npos, echo.errors().find("SockStream[echo]: write timeout, sendbuf="));
    EXPECT_TRUE(stalled.closed_within(5000));

    TpktClient next(echo.port());
    std::vector<unsigned char> const small_frame = tpkt_frame("01 02");
    ASSERT_TRUE(next.send(small_frame));
    EXPECT_TRUE(next.receive(small_frame.size()) == small_frame);
    EXPECT_EQ(0, echo.stop());
}
