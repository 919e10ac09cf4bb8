#include "runtime/link/AcceptorNetCheckConnection.h"

#include "support/ConnectionTestSupport.h"
#include "support/LoopStepper.h"
#include "support/NoFreeDescriptors.h"

#include <gtest/gtest.h>

#include <cstring>

using State = Control::Service::State;

namespace {

// The acceptor tries again 5000 ms after a failure to listen, not earlier.
void listens_after_the_retry_interval(LoopStepper& loop, Control::AcceptorNet const& acceptor)
{
    loop.advance(4999);
    EXPECT_EQ(0u, acceptor.bound_port());
    loop.advance(1);
    EXPECT_NE(0u, acceptor.bound_port());
}

} // namespace

TEST(AcceptorRetry, PortInUseIsTriedAgainEveryFiveSeconds)
{
    StreamCapture errors(std::cerr);
    LoopStepper loop;
    auto blocker = std::make_unique<TcpListener>();
    unsigned const port = blocker->port();
    Control::AcceptorNetCheckConnection link(static_cast<int>(port));
    EXPECT_TRUE(link.Activate());
    EXPECT_EQ(State::Connecting, link.state());
    EXPECT_EQ("can't bind to socket: \"Address already in use\"  waiting...\n", errors.text());
    blocker.reset();

    listens_after_the_retry_interval(loop, link);
    EXPECT_EQ(port, link.bound_port());
    EXPECT_TRUE(TpktClient(port).connected());
    link.Deactivate();
}

TEST(AcceptorRetry, ListeningSocketThatCannotBeCreated)
{
#ifdef __SANITIZE_ADDRESS__
    GTEST_SKIP() << "the sanitizer runtime needs free descriptors for its own checks";
#endif
    StreamCapture errors(std::cerr);
    LoopStepper loop;
    Control::AcceptorNet plain;
    Control::AcceptorNetCheckConnection checked;
    {
        NoFreeDescriptors full;
        EXPECT_FALSE(plain.Activate());
        EXPECT_TRUE(checked.Activate());
    }
    EXPECT_EQ(State::Idle, plain.state());
    EXPECT_EQ(State::Connecting, checked.state());
    std::string const line = "can't create socket:" + std::string(std::strerror(EMFILE)) + "\n";
    EXPECT_EQ(line + line, errors.text());

    // The control link's acceptor keeps trying, like a failed bind.
    listens_after_the_retry_interval(loop, checked);
    EXPECT_EQ(line + line, errors.text());
    checked.Deactivate();
}
