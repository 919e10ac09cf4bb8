#include "runtime/link/AsyncCopy.h"

#include "support/ConnectionTestSupport.h"
#include "support/LoopStepper.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

using ::testing::ElementsAre;
using Status = ASync::Copy::Status;

namespace {

// A connected local stream pair: `ours` goes to the copier (which keeps a
// duplicate), the test plays the other side on `peer`.
struct SocketPair {
    SocketPair()
    {
        int fds[2];
        EXPECT_EQ(0, socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds));
        ours = Fd(fds[0]);
        peer = Fd(fds[1]);
        NonBlockMode(peer.get());
    }
    // Shrinks the buffers on both sides so that the copier meets a full
    // destination quickly.
    void small_buffers()
    {
        int const size = 4096;
        setsockopt(ours.get(), SOL_SOCKET, SO_SNDBUF, &size, sizeof size);
        setsockopt(peer.get(), SOL_SOCKET, SO_RCVBUF, &size, sizeof size);
    }
    Fd ours;
    Fd peer;
};

std::vector<unsigned char> pattern(std::size_t size)
{
    std::vector<unsigned char> bytes(size);
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<unsigned char>(i * 7 + i / 251);
    return bytes;
}

// Whatever the peer can read now, without waiting.
std::vector<unsigned char> drain(int fd, std::size_t at_most = 1 << 20)
{
    std::vector<unsigned char> out;
    unsigned char buffer[4096];
    while (out.size() < at_most) {
        ssize_t n = recv(fd, buffer, std::min(sizeof buffer, at_most - out.size()), MSG_DONTWAIT);
        if (n <= 0)
            break;
        out.insert(out.end(), buffer, buffer + n);
    }
    return out;
}

int queued(int fd)
{
    int n = 0;
    ioctl(fd, FIONREAD, &n);
    return n;
}

// A copier on the test clock with a handler that records every report.
struct CopyFixture : ::testing::Test {
    CopyFixture() { copy.Bind(&CopyFixture::Report, this); }
    void Report(Status::Type s) { reports.push_back(s); }
    bool reported() const { return !reports.empty(); }

    LoopStepper loop;
    ASync::Copy copy;
    std::vector<Status::Type> reports;
};

} // namespace

// An empty source: done at once without a flush wait, after the
// destination's flush events with one.
TEST_F(CopyFixture, EmptySourceCompletesWithOrWithoutAFlushWait)
{
    struct Case {
        uint32_t flush_events;
        Status::Type after_start;
    } const cases[] = {{0, Status::Done}, {POLLWRNORM, Status::Flushing}};
    for (auto const& c : cases) {
        SCOPED_TRACE(c.flush_events);
        reports.clear();
        SocketPair src, dst;
        ASync::Copy::EventsParams events;
        events.flush_events = c.flush_events;
        copy.set_events(events);
        shutdown(src.peer.get(), SHUT_WR);
        copy.Start(src.ours, dst.ours);
        dst.ours.close();
        EXPECT_EQ(c.after_start, copy.status());
        loop.pass();
        EXPECT_THAT(reports, ElementsAre(Status::Done));
        EXPECT_EQ(0u, copy.total());
        EXPECT_TRUE(TcpClient(dup(dst.peer.get())).closed_within(1000)) << "the copier let go of the destination";
    }
}

// A destination that takes the bytes slowly: every byte arrives in order,
// and while a write waits for the destination nothing more is read.
TEST_F(CopyFixture, SlowReaderGetsEveryByteAndStallsTheSource)
{
    SocketPair src, dst;
    dst.small_buffers();
    std::vector<unsigned char> const sent = pattern(300000);
    std::size_t fed = 0;
    auto feed = [&] {
        while (fed < sent.size()) {
            ssize_t n = send(src.peer.get(), sent.data() + fed, sent.size() - fed, MSG_DONTWAIT | MSG_NOSIGNAL);
            if (n <= 0)
                return;
            fed += static_cast<std::size_t>(n);
        }
        shutdown(src.peer.get(), SHUT_WR);
    };
    feed();
    copy.Start(src.ours, dst.ours);
    EXPECT_EQ(Status::Running, copy.status());

    // The destination is full: the copier waits for it and leaves the
    // source alone, pass after pass.
    loop.pass();
    int const waiting = queued(src.ours.get());
    EXPECT_GT(waiting, 0);
    for (int i = 0; i < 5; ++i)
        loop.pass(1);
    EXPECT_EQ(waiting, queued(src.ours.get()));
    EXPECT_LT(copy.total(), sent.size());

    std::vector<unsigned char> received;
    ASSERT_TRUE(loop.run_until([&] {
        feed();
        auto chunk = drain(dst.peer.get(), 3000);
        received.insert(received.end(), chunk.begin(), chunk.end());
        return reported();
    }, 20000));
    auto rest = drain(dst.peer.get());
    received.insert(received.end(), rest.begin(), rest.end());
    EXPECT_THAT(reports, ElementsAre(Status::Done));
    EXPECT_EQ(sent.size(), copy.total());
    EXPECT_TRUE(received == sent) << received.size() << " bytes received";
}

// Stop while a write waits: what was read is still written, then the flush
// wait and done.
TEST_F(CopyFixture, StopStillWritesWhatWasRead)
{
    SocketPair src, dst;
    dst.small_buffers();
    std::vector<unsigned char> const sent = pattern(100000);
    ssize_t fed = send(src.peer.get(), sent.data(), sent.size(), MSG_DONTWAIT);
    ASSERT_GT(fed, 0);
    copy.Start(src.ours, dst.ours);
    ASSERT_EQ(Status::Running, copy.status());
    uint32_t const written = copy.total();
    copy.Stop();
    EXPECT_EQ(Status::Draining, copy.status());
    std::vector<unsigned char> received;
    ASSERT_TRUE(loop.run_until([&] {
        auto chunk = drain(dst.peer.get());
        received.insert(received.end(), chunk.begin(), chunk.end());
        return reported();
    }));
    EXPECT_THAT(reports, ElementsAre(Status::Done));
    EXPECT_EQ(received.size(), copy.total());
    EXPECT_GT(copy.total(), written);
    EXPECT_LE(copy.total(), written + ASync::Copy::default_bufsize) << "one buffer at most after the stop";
    EXPECT_TRUE(std::equal(received.begin(), received.end(), sent.begin()));
    copy.Stop();
    EXPECT_EQ(1u, reports.size()) << "a completed copy is not stopped again";
}

// A reader that goes away ends the copy with an error, never with done and
// never with a signal.
TEST_F(CopyFixture, ReaderThatClosesIsAnError)
{
    SocketPair src, dst;
    std::vector<unsigned char> const sent = pattern(5000);
    send(src.peer.get(), sent.data(), sent.size(), MSG_DONTWAIT);
    dst.peer.close();
    copy.Start(src.ours, dst.ours);
    ASSERT_TRUE(loop.run_until([&] { return reported(); }));
    EXPECT_THAT(reports, ElementsAre(Status::Error));
    EXPECT_THAT(copy.error(), ::testing::AnyOf(0, EPIPE, ECONNRESET));
}

// A source that fails ends the copy with its error, whether or not bytes
// were copied before.
TEST_F(CopyFixture, SourceReadErrorIsAnErrorNeverDone)
{
    // Before the first byte: a directory cannot be read.
    {
        SocketPair dst;
        Fd dir(open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        copy.Start(dir, dst.ours);
        EXPECT_THAT(reports, ElementsAre(Status::Error));
        EXPECT_EQ(EISDIR, copy.error());
    }
    // After bytes went through: the source connection is reset.
    reports.clear();
    TcpListener listener;
    TcpClient client(listener.port());
    Fd source(listener.accept_within(2000));
    ASSERT_TRUE(source);
    SocketPair dst;
    copy.Start(source, dst.ours);
    ASSERT_TRUE(client.send("01 02 03"));
    std::vector<unsigned char> received;
    ASSERT_TRUE(loop.run_until([&] {
        auto chunk = drain(dst.peer.get());
        received.insert(received.end(), chunk.begin(), chunk.end());
        return received.size() == 3;
    }));
    client.reset();
    ASSERT_TRUE(loop.run_until([&] { return reported(); }));
    EXPECT_THAT(reports, ElementsAre(Status::Error));
    EXPECT_EQ(ECONNRESET, copy.error());
    EXPECT_EQ(3u, copy.total());
}

// New masks or a new buffer while a copy runs cut it short as stopped and
// let go of both descriptors; size 0 stands for the default.
TEST_F(CopyFixture, NewSettingsWhileRunningStopTheCopy)
{
    std::function<void()> const changes[] = {
        [&] { copy.set_events(ASync::Copy::EventsParams()); },
        [&] { copy.set_bufsize(0); },
    };
    for (auto const& change : changes) {
        reports.clear();
        SocketPair src, dst;
        copy.Start(src.ours, dst.ours);
        src.ours.close();
        dst.ours.close();
        ASSERT_EQ(Status::Running, copy.status());
        change();
        EXPECT_THAT(reports, ElementsAre(Status::Stopped));
        EXPECT_TRUE(TcpClient(dup(src.peer.get())).closed_within(1000));
        EXPECT_TRUE(TcpClient(dup(dst.peer.get())).closed_within(1000));
    }
    EXPECT_EQ(ASync::Copy::default_bufsize, copy.bufsize());
    copy.set_bufsize(8192);
    EXPECT_EQ(8192u, copy.bufsize());
    EXPECT_EQ(1u, reports.size()) << "no report without a copy under way";
}

// The handler may destroy the copier it was called by; a copier that goes
// while copying reports nothing.
TEST(CopyLifetime, HandlerMayDestroyTheCopier)
{
    LoopStepper loop;
    struct Owner {
        std::unique_ptr<ASync::Copy> copy = std::make_unique<ASync::Copy>();
        std::vector<Status::Type> reports;
        void Report(Status::Type s)
        {
            reports.push_back(s);
            copy.reset();
        }
    } owner;
    owner.copy->Bind(&Owner::Report, &owner);
    SocketPair src, dst;
    send(src.peer.get(), "abc", 3, 0);
    shutdown(src.peer.get(), SHUT_WR);
    owner.copy->Start(src.ours, dst.ours);
    ASSERT_TRUE(loop.run_until([&] { return !owner.reports.empty(); }));
    EXPECT_THAT(owner.reports, ElementsAre(Status::Done));
    EXPECT_FALSE(owner.copy);

    owner.copy = std::make_unique<ASync::Copy>();
    owner.copy->Bind(&Owner::Report, &owner);
    SocketPair idle_src, idle_dst;
    owner.copy->Start(idle_src.ours, idle_dst.ours);
    owner.copy.reset();
    loop.pass();
    EXPECT_EQ(1u, owner.reports.size());
}
