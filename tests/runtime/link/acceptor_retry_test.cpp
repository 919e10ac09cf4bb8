#include "runtime/link/AcceptorNetCheckConnection.h"

#include "support/ConnectionTestSupport.h"
#include "support/LoopTestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fcntl.h>
#include <sys/resource.h>

using State = Control::Service::State;

namespace {

// Leaves no descriptor free while it lives.
class NoFreeDescriptors {
public:
    NoFreeDescriptors()
    {
        getrlimit(RLIMIT_NOFILE, &saved_);
        rlimit low = saved_;
        low.rlim_cur = 64;
        setrlimit(RLIMIT_NOFILE, &low);
        for (int fd; (fd = fcntl(0, F_DUPFD_CLOEXEC, 0)) >= 0;)
            taken_.push_back(fd);
    }
    ~NoFreeDescriptors()
    {
        for (int fd : taken_)
            close(fd);
        setrlimit(RLIMIT_NOFILE, &saved_);
    }

private:
    rlimit saved_;
    std::vector<int> taken_;
};

// Waits until the acceptor listens; the milliseconds it took.
int32_t wait_until_listening(Control::AcceptorNet const& acceptor, unsigned limit_ms)
{
    LoopRunner loop;
    uint32_t const start = Mux::milliseconds();
    EXPECT_TRUE(loop.run_until([&] { return acceptor.bound_port() != 0; }, limit_ms));
    return Mux::msdiff(Mux::milliseconds(), start);
}

} // namespace

TEST(AcceptorRetry, PortInUseIsTriedAgainEveryFiveSeconds)
{
    StreamCapture errors(std::cerr);
    auto blocker = std::make_unique<TcpListener>();
    unsigned const port = blocker->port();
    Control::AcceptorNetCheckConnection link(static_cast<int>(port));
    EXPECT_TRUE(link.Activate());
    EXPECT_EQ(State::Connecting, link.state());
    EXPECT_EQ("can't bind to socket: \"Address already in use\"  waiting...\n", errors.text());
    blocker.reset();

    int32_t const waited = wait_until_listening(link, 8000);
    EXPECT_GE(waited, 4900);
    EXPECT_LE(waited, 7500);
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
    int32_t const waited = wait_until_listening(checked, 8000);
    EXPECT_GE(waited, 4900);
    EXPECT_LE(waited, 7500);
    EXPECT_EQ(line + line, errors.text());
    checked.Deactivate();
}
