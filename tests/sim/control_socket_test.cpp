// The simulator's control socket on the main loop: replies in order per
// client, several clients at once, over-long lines, a client that does not
// read its replies, the client limit, and the socket file's lifetime.
#include "runtime/base/Fd.h"
#include "sim/ControlSocket.h"
#include "sim/SimulatedBoard.h"
#include "support/LoopStepper.h"
#include "support/ScratchRoot.h"

#include <cstring>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

// A device whose control verbs answer with text: "say WORDS..." and
// "big N" (N bytes of 'b' and an end of line).
class TalkingDevice : public Sim::Device {
public:
    char const* path() const override { return "/dev/talk"; }
    bool control(std::vector<std::string> const& words, std::ostream& reply) override
    {
        if (words.size() >= 2 && words[0] == "say") {
            for (std::size_t i = 1; i < words.size(); ++i)
                reply << (i > 1 ? " " : "") << words[i];
            reply << '\n';
            return true;
        }
        if (words.size() == 2 && words[0] == "big") {
            reply << std::string(std::stoul(words[1]), 'b') << '\n';
            return true;
        }
        return false;
    }
};

// A non-blocking client driven from the test's own thread.
class Client {
public:
    explicit Client(std::string const& path)
    {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
        fd_ = Fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
        connected_ = ::connect(fd_.get(), reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    }
    bool connected() const { return connected_; }
    void send(std::string const& text)
    {
        ASSERT_EQ(static_cast<ssize_t>(text.size()), ::send(fd_.get(), text.data(), text.size(), MSG_NOSIGNAL));
    }
    void endInput() { ::shutdown(fd_.get(), SHUT_WR); }
    // Everything received so far.
    std::string const& received()
    {
        char chunk[65536];
        ssize_t n;
        while ((n = ::recv(fd_.get(), chunk, sizeof chunk, 0)) > 0)
            received_.append(chunk, static_cast<std::size_t>(n));
        closed_ = closed_ || n == 0;
        return received_;
    }
    bool closed()
    {
        received();
        return closed_;
    }

private:
    Fd fd_;
    bool connected_ = false;
    bool closed_ = false;
    std::string received_;
};

class ControlSocketTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        board_.add(std::make_unique<TalkingDevice>());
        std::string error;
        ASSERT_TRUE(socket_.listen(path_, error)) << error;
    }

    // Runs the loop until client has received exactly expected.
    ::testing::AssertionResult receives(Client& client, std::string const& expected)
    {
        loop_.run_until([&] { return client.received().size() >= expected.size(); });
        if (client.received() == expected)
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "received \"" << client.received() << "\"";
    }

    ScratchRoot root_;
    std::string path_ = root_.path("/ctl");
    LoopStepper loop_;
    Sim::SimulatedBoard board_;
    Sim::ControlSocket socket_{board_};
};

} // namespace

TEST_F(ControlSocketTest, AnswersEachLineInOrderEndingWithOkOrError)
{
    Client client(path_);
    ASSERT_TRUE(client.connected());
    client.send("talk say hello there\r\nbogus\n\ntalk sing\nfail talk next 2\nlo");
    client.send("g clear\n");
    EXPECT_TRUE(receives(client, "hello there\nok\n"
                                 "error: unknown command or device: bogus\n"
                                 "error: empty line\n"
                                 "error: talk: not understood\n"
                                 "ok\n"
                                 "ok\n"));
}

TEST_F(ControlSocketTest, ServesSeveralClientsAtOnce)
{
    Client first(path_), second(path_);
    first.send("talk say one");
    second.send("talk say two\n");
    EXPECT_TRUE(receives(second, "two\nok\n"));
    EXPECT_EQ("", first.received());
    first.send("\n");
    EXPECT_TRUE(receives(first, "one\nok\n"));
    EXPECT_EQ(2u, socket_.clients());
}

TEST_F(ControlSocketTest, RefusesAnOverLongLineAndGoesOnAfterItsEnd)
{
    Client client(path_);
    std::string longLine = "talk say " + std::string(Sim::ControlSocket::maxLine, 'x');
    // Refused as soon as it is too long, before its end has arrived.
    client.send(longLine);
    EXPECT_TRUE(receives(client, "error: line too long\n"));
    client.send(longLine + "\ntalk say after\n");
    EXPECT_TRUE(receives(client, "error: line too long\nafter\nok\n"));

    Client other(path_);
    other.send(longLine + "\ntalk say next\n");
    EXPECT_TRUE(receives(other, "error: line too long\nnext\nok\n"));
}

TEST_F(ControlSocketTest, AClientThatDoesNotReadHoldsOnlyItself)
{
    Client slow(path_);
    std::string commands;
    for (int i = 0; i < 40; ++i)
        commands += "talk big 30000\n";
    slow.send(commands);
    loop_.run_until([] { return false; }, 50);

    Client quick(path_);
    quick.send("talk say still served\n");
    EXPECT_TRUE(receives(quick, "still served\nok\n"));

    // Reading at last, the slow client gets every reply.
    std::string reply = std::string(30000, 'b') + "\nok\n";
    std::string all;
    for (int i = 0; i < 40; ++i)
        all += reply;
    EXPECT_TRUE(loop_.run_until([&] { return slow.received().size() >= all.size(); }, 10000));
    EXPECT_TRUE(slow.received() == all) << slow.received().size() << " of " << all.size();
}

TEST_F(ControlSocketTest, RunsTheLastLineAtTheEndOfInputAndDropsTheClient)
{
    Client client(path_);
    client.send("talk say last");
    client.endInput();
    EXPECT_TRUE(loop_.run_until([&] { return client.closed(); }));
    EXPECT_EQ("last\nok\n", client.received());
    EXPECT_EQ(0u, socket_.clients());
}

TEST_F(ControlSocketTest, TurnsAwayClientsBeyondTheLimit)
{
    std::vector<std::unique_ptr<Client>> clients;
    for (std::size_t i = 0; i < Sim::ControlSocket::maxClients; ++i) {
        clients.push_back(std::make_unique<Client>(path_));
        clients.back()->send("talk say in\n");
        ASSERT_TRUE(receives(*clients.back(), "in\nok\n"));
    }
    Client extra(path_);
    EXPECT_TRUE(loop_.run_until([&] { return extra.closed(); }));
    EXPECT_EQ("error: too many clients\n", extra.received());

    // A place that frees up is taken again.
    clients.pop_back();
    loop_.run_until([&] { return socket_.clients() < Sim::ControlSocket::maxClients; });
    Client next(path_);
    next.send("talk say in\n");
    EXPECT_TRUE(receives(next, "in\nok\n"));
}

TEST_F(ControlSocketTest, ReplacesAStaleSocketAndRemovesItsOwnAtClose)
{
    socket_.close();
    EXPECT_FALSE(root_.exists("/ctl"));
    // A socket file left by a process that died.
    int stale = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path_.c_str(), sizeof address.sun_path - 1);
    ASSERT_EQ(0, ::bind(stale, reinterpret_cast<sockaddr*>(&address), sizeof address));
    ::close(stale);

    std::string error;
    ASSERT_TRUE(socket_.listen(path_, error)) << error;
    Client client(path_);
    client.send("talk say back\n");
    EXPECT_TRUE(receives(client, "back\nok\n"));

    // Anything else at the path is left alone.
    socket_.close();
    root_.write("/ctl", "a file");
    EXPECT_FALSE(socket_.listen(path_, error));
    EXPECT_EQ("a file", root_.read("/ctl"));
}
