#include "runtime/link/AsyncConnect.h"

#include "support/ConnectionTestSupport.h"
#include "support/LoopStepper.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using ::testing::ElementsAre;
using Status = ASync::Connect::Status;

namespace {

// A connector on the test clock whose handler records each report and
// whether the socket it was handed is connected.
struct ConnectFixture : ::testing::Test {
    ConnectFixture() { connect.Bind(&ConnectFixture::Report, this); }
    void Report(Status::Type s, Fd socket)
    {
        reports.push_back(s);
        sockaddr_in peer = {};
        socklen_t size = sizeof peer;
        handed.push_back(socket && getpeername(socket.get(), reinterpret_cast<sockaddr*>(&peer), &size) == 0);
    }
    bool reported() const { return !reports.empty(); }
    std::string target(unsigned port) const { return "127.0.0.1:" + std::to_string(port); }

    LoopStepper loop;
    ASync::Connect connect;
    std::vector<Status::Type> reports;
    std::vector<bool> handed;
};

// A listening socket whose accept queue is full, so that a further connect
// stays unanswered.
class FullBacklog {
public:
    FullBacklog() : fd_(socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0))
    {
        sockaddr_in a = loopback(0);
        bind(fd_.get(), reinterpret_cast<sockaddr*>(&a), sizeof a);
        listen(fd_.get(), 0);
        port_ = local_port(fd_.get());
        // One established connection fills a backlog of 0.
        filler_ = Fd(socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
        a = loopback(port_);
        connect(filler_.get(), reinterpret_cast<sockaddr*>(&a), sizeof a);
    }
    unsigned port() const { return port_; }

private:
    Fd fd_;
    Fd filler_;
    unsigned port_;
};

} // namespace

TEST_F(ConnectFixture, ConnectsAndHandsOverTheSocket)
{
    TcpListener listener;
    connect.Start(target(listener.port()), 5000);
    ASSERT_TRUE(loop.run_until([&] { return reported(); }));
    EXPECT_THAT(reports, ElementsAre(Status::Connected));
    EXPECT_THAT(handed, ElementsAre(true));
    TpktClient accepted(listener.accept_within(1000));
    EXPECT_TRUE(accepted.connected());
    EXPECT_TRUE(accepted.closed_within(1000)) << "the connector keeps no socket after the report";
    loop.advance(10000);
    EXPECT_EQ(1u, reports.size()) << "the time-out went with the attempt";
    connect.Stop();
    EXPECT_EQ(1u, reports.size()) << "a completed attempt is not stopped";
}

TEST_F(ConnectFixture, RefusalFails)
{
    unsigned const port = TcpListener().port();
    connect.Start(target(port), 5000);
    ASSERT_TRUE(loop.run_until([&] { return reported(); }));
    EXPECT_THAT(reports, ElementsAre(Status::Failed));
    EXPECT_THAT(handed, ElementsAre(false));
}

// Text that names no IPv4 peer fails before Start returns; nothing is
// connected to 0.0.0.0 or to a port nobody asked for.
TEST_F(ConnectFixture, AddressThatIsNotADottedAddressWithAPortFails)
{
    for (char const* text : {"localhost:80", "", "127.0.0.1", "127.0.0.1:0", "127.0.0.1:70000", "1.2.3:x:80"}) {
        SCOPED_TRACE(text);
        reports.clear();
        connect.Start(text, 5000);
        EXPECT_THAT(reports, ElementsAre(Status::Failed));
        EXPECT_EQ(Status::Failed, connect.status());
    }
}

// Nobody answers: failed when the time-out runs out, and a connection that
// would come later is not reported; a stop ends an attempt under way.
TEST_F(ConnectFixture, UnansweredConnectTimesOutOrIsStopped)
{
    FullBacklog peer;
    connect.Start(target(peer.port()), 5000);
    ASSERT_EQ(Status::InProgress, connect.status());
    loop.advance(4999);
    EXPECT_TRUE(reports.empty());
    loop.advance(1);
    EXPECT_THAT(reports, ElementsAre(Status::Failed));

    connect.Start(target(peer.port()), 5000);
    connect.Stop();
    EXPECT_THAT(reports, ElementsAre(Status::Failed, Status::Stopped));
    loop.advance(10000);
    EXPECT_EQ(2u, reports.size());
}

// The handler may destroy the connector that called it.
TEST(ConnectLifetime, HandlerMayDestroyTheConnector)
{
    LoopStepper loop;
    struct Owner {
        std::unique_ptr<ASync::Connect> connect = std::make_unique<ASync::Connect>();
        void Report(Status::Type, Fd) { connect.reset(); }
    } owner;
    owner.connect->Bind(&Owner::Report, &owner);
    owner.connect->Start("127.0.0.1:" + std::to_string(TcpListener().port()), 100);
    EXPECT_TRUE(loop.run_until([&] { return !owner.connect; }));
}
