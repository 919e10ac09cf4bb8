#include "runtime/link/AcceptorUnix.h"
#include "runtime/link/ConnectorUnix.h"

#include "support/ConnectionTestSupport.h"
#include "support/LoopStepper.h"
#include "support/ScratchRoot.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <sys/stat.h>
#include <sys/un.h>

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using State = Control::Service::State;

namespace {

// A server path under the scratch root: its directory exists, the socket
// does not.
struct UnixFixture : ::testing::Test {
    UnixFixture() { root.makeDir("/run"); }

    bool is_socket(std::string const& path) const
    {
        struct stat status;
        return lstat(root.path(path).c_str(), &status) == 0 && S_ISSOCK(status.st_mode);
    }
    // A socket bound to path (a real path) that nobody accepts on.
    Fd bound_socket(std::string const& path, bool listening) const
    {
        Fd fd(socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
        sockaddr_un a = {};
        a.sun_family = AF_UNIX;
        std::strncpy(a.sun_path, root.path(path).c_str(), sizeof a.sun_path - 1);
        EXPECT_EQ(0, bind(fd.get(), reinterpret_cast<sockaddr*>(&a), sizeof a));
        if (listening)
            listen(fd.get(), 1);
        return fd;
    }

    ScratchRoot root;
    std::string const path = "/run/link.sock";
    StreamCapture errors{std::cerr};
    StreamCapture output{std::cout};
    StreamCapture log{std::clog};
    LoopStepper loop;
};

} // namespace

// A connector and an acceptor of this process carry messages both ways;
// the acceptor serves one peer at a time and refuses the next.
TEST_F(UnixFixture, ConnectorAndAcceptorCarryMessagesAndRefuseASecondPeer)
{
    Control::AcceptorUnix acceptor(path);
    RecordingNotify served(acceptor);
    acceptor.Bind(&served);
    ASSERT_TRUE(acceptor.Activate());
    EXPECT_TRUE(is_socket(path));

    Control::ConnectorUnix connector(path, "/run/client.sock");
    RecordingNotify client(connector);
    connector.Bind(&client);
    ASSERT_TRUE(connector.Activate());
    EXPECT_EQ(State::Connected, connector.state());
    EXPECT_EQ("connected to " + path + "\n", log.text());
    ASSERT_TRUE(loop.run_until([&] { return acceptor.state() == State::Connected; }));
    EXPECT_EQ(root.path("/run/client.sock"), acceptor.peerName()) << "the peer is named by the path it bound";
    EXPECT_EQ("new connection from " + root.path("/run/client.sock") + "\n", output.text());
    EXPECT_EQ(path, connector.peerName());

    connector.Send("\x01\x02", 2);
    acceptor.Send("\x03", 1);
    ASSERT_TRUE(loop.run_until([&] { return served.count("message") == 1 && client.count("message") == 1; }));
    EXPECT_THAT(served.events, ElementsAre("connect Connected", "message 01 02"));
    EXPECT_THAT(client.events, ElementsAre("connect Connected", "message 03"));

    Control::ConnectorUnix second(path);
    second.Activate();
    ASSERT_TRUE(loop.run_until([&] { return occurrences(errors.text(), "refuse connection from \n") == 1; }));
    ASSERT_TRUE(loop.run_until([&] { return second.state() == State::Connecting; }));
    EXPECT_EQ(State::Connected, acceptor.state());
    second.Deactivate();

    // The acceptor going away is a loss for the connector, which tries
    // again 10000 ms later.
    acceptor.Disconnect();
    ASSERT_TRUE(loop.run_until([&] { return client.count("disconnect") == 1; }));
    EXPECT_EQ("disconnect Connecting", client.events.back());
    connector.Deactivate();
    acceptor.Deactivate();
    EXPECT_TRUE(is_socket(path)) << "the socket file stays";
}

// The peer's path does not exist: the first attempt and 7 fast retries a
// second apart, then one every 20000 ms; the peer that appears is reached
// at the next slow attempt.
TEST_F(UnixFixture, ConnectorRetryPlan)
{
    Control::ConnectorUnix connector(path);
    RecordingNotify client(connector);
    connector.Bind(&client);
    auto attempts = [&] { return occurrences(errors.text(), "can't connect to " + path + " : "); };
    ASSERT_TRUE(connector.Activate());
    EXPECT_EQ(1, attempts());
    EXPECT_THAT(errors.text(), HasSubstr("No such file or directory"));
    for (int retry = 1; retry <= 7; ++retry) {
        loop.advance(Control::ConnectorUnix::fast_retry_ms - 1);
        ASSERT_EQ(retry, attempts());
        loop.advance(1);
        ASSERT_EQ(retry + 1, attempts());
    }
    // A socket that nobody listens on refuses.
    Fd deaf = bound_socket(path, false);
    loop.advance(Control::ConnectorUnix::refused_retry_ms - 1);
    EXPECT_EQ(8, attempts());
    loop.advance(1);
    EXPECT_EQ(9, attempts());
    EXPECT_THAT(errors.text(), HasSubstr("Connection refused"));

    deaf.close();
    Control::AcceptorUnix acceptor(path);
    ASSERT_TRUE(acceptor.Activate()) << "the stale socket is replaced";
    loop.advance(Control::ConnectorUnix::refused_retry_ms);
    EXPECT_EQ(9, attempts());
    EXPECT_EQ(State::Connected, connector.state());
    EXPECT_THAT(client.events, ElementsAre("connect Connected"));
    connector.Deactivate();
    acceptor.Deactivate();
}

// Only a socket is removed from the acceptor's path: another file there
// makes the bind fail and retry every 5000 ms until it is gone.
TEST_F(UnixFixture, AcceptorLeavesOtherFilesAlone)
{
    root.write(path, "keep me");
    Control::AcceptorUnix acceptor(path);
    ASSERT_TRUE(acceptor.Activate());
    EXPECT_EQ("can't bind to socket: \"Address already in use\"  waiting...\n", errors.text());
    EXPECT_EQ("keep me", root.read(path));
    loop.advance(Control::AcceptorUnix::bind_retry_ms);
    EXPECT_EQ(2, occurrences(errors.text(), "waiting..."));
    EXPECT_EQ("keep me", root.read(path));

    std::remove(root.path(path).c_str());
    loop.advance(Control::AcceptorUnix::bind_retry_ms - 1);
    EXPECT_FALSE(is_socket(path));
    loop.advance(1);
    EXPECT_TRUE(is_socket(path));
    acceptor.Deactivate();
}

// A path that does not fit a socket address is refused, never cut short to
// name another file.
TEST_F(UnixFixture, PathTooLongIsRefused)
{
    std::string const room(sizeof(sockaddr_un::sun_path) - root.path("/run/").size(), 'x');
    std::string const fits = "/run/" + room.substr(1);
    std::string const too_long = "/run/" + room;

    Control::AcceptorUnix refused(too_long);
    EXPECT_FALSE(refused.Activate());
    EXPECT_EQ(State::Idle, refused.state());
    EXPECT_THAT(errors.text(), HasSubstr("File name too long"));

    Control::ConnectorUnix connector(too_long);
    EXPECT_TRUE(connector.Activate());
    EXPECT_EQ(State::Idle, connector.state());
    EXPECT_EQ(1, occurrences(errors.text(), "can't connect to " + too_long + " : File name too long\n"));
    loop.advance(30000);
    EXPECT_EQ(1, occurrences(errors.text(), "can't connect to"));

    Control::AcceptorUnix longest(fits);
    ASSERT_TRUE(longest.Activate());
    EXPECT_TRUE(is_socket(fits));
    Control::ConnectorUnix reaches(fits);
    reaches.Activate();
    EXPECT_EQ(State::Connected, reaches.state());
    reaches.Deactivate();
    longest.Deactivate();
    EXPECT_EQ(1u, std::distance(std::filesystem::directory_iterator(root.path("/run")), {}))
        << "no file with a shortened name";
}

// An established link that is lost is tried again 10000 ms after the loss,
// not before.
TEST_F(UnixFixture, ConnectorReconnectsTenSecondsAfterALoss)
{
    Control::AcceptorUnix acceptor(path);
    ASSERT_TRUE(acceptor.Activate());
    Control::ConnectorUnix connector(path);
    RecordingNotify client(connector);
    connector.Bind(&client);
    ASSERT_TRUE(connector.Activate());
    ASSERT_TRUE(loop.run_until([&] { return acceptor.state() == State::Connected; }));
    auto attempts = [&] { return occurrences(log.text(), "connected to " + path + "\n"); };
    EXPECT_EQ(1, attempts());

    acceptor.Disconnect();
    ASSERT_TRUE(loop.run_until([&] { return client.count("disconnect") == 1; }));
    loop.advance(Control::ConnectorUnix::reconnect_ms - 1);
    EXPECT_EQ(1, attempts());
    EXPECT_EQ(State::Connecting, connector.state());
    loop.advance(1);
    EXPECT_EQ(2, attempts());
    EXPECT_EQ(State::Connected, connector.state());
    EXPECT_THAT(client.events, ElementsAre("connect Connected", "disconnect Connecting", "connect Connected"));
    EXPECT_EQ(0, occurrences(errors.text(), "connect to"));
    connector.Deactivate();
    acceptor.Deactivate();
}

// The own end cannot be bound: the failure is reported in its own line and
// the attempt goes on from an unnamed socket.
TEST_F(UnixFixture, ConnectorGoesOnWhenItsLocalPathCannotBeBound)
{
    Control::AcceptorUnix acceptor(path);
    ASSERT_TRUE(acceptor.Activate());
    Control::ConnectorUnix connector(path, "/nowhere/client.sock");
    ASSERT_TRUE(connector.Activate());
    EXPECT_EQ("can't bind to domain socket '/nowhere/client.sock': \"No such file or directory\n", errors.text());
    EXPECT_EQ(State::Connected, connector.state());
    ASSERT_TRUE(loop.run_until([&] { return acceptor.state() == State::Connected; }));
    EXPECT_EQ("", acceptor.peerName());
    connector.Deactivate();
    acceptor.Deactivate();
}
