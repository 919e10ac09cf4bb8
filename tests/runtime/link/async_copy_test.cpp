#include "runtime/link/AsyncCopy.h"

#include "support/ConnectionTestSupport.h"
#include "support/LoopStepper.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/ioctl.h>

using ::testing::ElementsAre;
using Status = ASync::Copy::Status;

namespace {

// A connected local stream pair: `ours` goes to the copier (which keeps a
// duplicate), the test plays the other side on `peer` (non-blocking).
struct SocketPair {
    SocketPair()
    {
        int fds[2];
        EXPECT_EQ(0, socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds));
        ours = Fd(fds[0]);
        peer = Fd(fds[1]);
        NonBlockMode(peer.get());
        // Small buffers, so that a destination is full soon.
        int const size = 4096;
        setsockopt(ours.get(), SOL_SOCKET, SO_SNDBUF, &size, sizeof size);
        setsockopt(peer.get(), SOL_SOCKET, SO_RCVBUF, &size, sizeof size);
    }
    // Appends what the peer can read now.
    void drain(std::vector<unsigned char>& into, std::size_t at_most = 1 << 20) const
    {
        unsigned char buffer[4096];
        for (ssize_t n = 1; n > 0 && into.size() < at_most;)
            if ((n = recv(peer.get(), buffer, std::min(sizeof buffer, at_most - into.size()), 0)) > 0)
                into.insert(into.end(), buffer, buffer + n);
    }
    // True when the copier let go of its side.
    bool released() const { return TpktClient(dup(peer.get())).closed_within(1000); }

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

// A copier on the test clock with a handler that records every report.
struct CopyFixture : ::testing::Test {
    CopyFixture() { copy.Bind(&CopyFixture::Report, this); }
    void Report(Status::Type s) { reports.push_back(s); }

    LoopStepper loop;
    ASync::Copy copy;
    std::vector<Status::Type> reports;
};

} // namespace

// An empty source: done at once without a flush wait, after the
// destination's flush events with one; both descriptors are let go.
TEST_F(CopyFixture, EmptySourceCompletesWithOrWithoutAFlushWait)
{
    for (uint32_t flush : {0, POLLWRNORM}) {
        reports.clear();
        SocketPair src, dst;
        ASync::Copy::EventsParams events;
        events.flush_events = flush;
        copy.set_events(events);
        shutdown(src.peer.get(), SHUT_WR);
        copy.Start(src.ours, dst.ours);
        src.ours.close();
        dst.ours.close();
        EXPECT_EQ(flush ? Status::Flushing : Status::Done, copy.status());
        loop.pass();
        EXPECT_THAT(reports, ElementsAre(Status::Done));
        EXPECT_TRUE(src.released() && dst.released());
    }
}

// A destination that takes the bytes slowly: while a write waits nothing
// more is read; every byte arrives in order. A stop while a write waits
// still writes what was read.
TEST_F(CopyFixture, SlowReaderGetsEveryByteInOrder)
{
    for (bool stop : {false, true}) {
        reports.clear();
        SocketPair src, dst;
        std::vector<unsigned char> const sent = pattern(stop ? 100000 : 300000);
        std::size_t fed = 0;
        auto feed = [&] {
            for (ssize_t n = 1; n > 0 && fed < sent.size(); fed += n > 0 ? static_cast<std::size_t>(n) : 0)
                n = send(src.peer.get(), sent.data() + fed, sent.size() - fed, MSG_NOSIGNAL);
            if (fed == sent.size() && !stop)
                shutdown(src.peer.get(), SHUT_WR);
        };
        feed();
        copy.Start(src.ours, dst.ours);
        ASSERT_EQ(Status::Running, copy.status());
        int waiting = 0, still = 0;
        ioctl(src.ours.get(), FIONREAD, &waiting);
        EXPECT_GT(waiting, 0);
        for (int i = 0; i < 5; ++i)
            loop.pass(1);
        ioctl(src.ours.get(), FIONREAD, &still);
        EXPECT_EQ(waiting, still) << "nothing read while the destination is full";
        uint32_t const written = copy.total();
        if (stop) {
            copy.Stop();
            EXPECT_EQ(Status::Draining, copy.status());
        }
        std::vector<unsigned char> received;
        ASSERT_TRUE(loop.run_until([&] {
            feed();
            dst.drain(received, received.size() + 3000);
            return !reports.empty();
        }, 20000));
        dst.drain(received);
        EXPECT_THAT(reports, ElementsAre(Status::Done));
        EXPECT_EQ(received.size(), copy.total());
        EXPECT_TRUE(std::equal(received.begin(), received.end(), sent.begin()));
        if (stop)
            EXPECT_LE(copy.total(), written + ASync::Copy::default_bufsize) << "one buffer at most after the stop";
        else
            EXPECT_EQ(sent.size(), copy.total());
    }
}

// A copy that ends by a failure on either side is an error, never done:
// a reader that went away (without a signal), a source that cannot be
// read, a source reset after bytes went through.
TEST_F(CopyFixture, FailureOnEitherSideIsAnError)
{
    SocketPair src, dst;
    send(src.peer.get(), "abc", 3, 0);
    dst.peer.close();
    copy.Start(src.ours, dst.ours);
    ASSERT_TRUE(loop.run_until([&] { return !reports.empty(); }));
    EXPECT_THAT(reports, ElementsAre(Status::Error));
    EXPECT_THAT(copy.error(), ::testing::AnyOf(0, EPIPE, ECONNRESET));

    reports.clear();
    SocketPair out;
    copy.Start(Fd(open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC)), out.ours);
    EXPECT_THAT(reports, ElementsAre(Status::Error));
    EXPECT_EQ(EISDIR, copy.error());

    reports.clear();
    TcpListener listener;
    TpktClient client(listener.port());
    copy.Start(Fd(listener.accept_within(2000)), out.ours);
    ASSERT_TRUE(client.send("01 02 03"));
    std::vector<unsigned char> received;
    ASSERT_TRUE(loop.run_until([&] {
        out.drain(received);
        return received.size() == 3;
    }));
    client.reset();
    ASSERT_TRUE(loop.run_until([&] { return !reports.empty(); }));
    EXPECT_THAT(reports, ElementsAre(Status::Error));
    EXPECT_EQ(ECONNRESET, copy.error());
}

// New masks or a new buffer while a copy runs cut it short as stopped;
// size 0 stands for the default.
TEST_F(CopyFixture, NewSettingsWhileRunningStopTheCopy)
{
    std::function<void()> const changes[] = {[&] { copy.set_events(ASync::Copy::EventsParams()); },
                                             [&] { copy.set_bufsize(0); }};
    for (auto const& change : changes) {
        reports.clear();
        SocketPair src, dst;
        copy.Start(src.ours, dst.ours);
        src.ours.close();
        dst.ours.close();
        change();
        EXPECT_THAT(reports, ElementsAre(Status::Stopped));
        EXPECT_TRUE(src.released() && dst.released());
    }
    EXPECT_EQ(ASync::Copy::default_bufsize, copy.bufsize());
    copy.set_bufsize(8192);
    EXPECT_EQ(1u, reports.size()) << "no report without a copy under way";
}

// The handler may destroy the copier it was called by.
TEST(CopyLifetime, HandlerMayDestroyTheCopier)
{
    LoopStepper loop;
    struct Owner {
        std::unique_ptr<ASync::Copy> copy = std::make_unique<ASync::Copy>();
        void Report(Status::Type) { copy.reset(); }
    } owner;
    owner.copy->Bind(&Owner::Report, &owner);
    SocketPair src, dst;
    send(src.peer.get(), "abc", 3, 0);
    shutdown(src.peer.get(), SHUT_WR);
    owner.copy->Start(src.ours, dst.ours);
    EXPECT_TRUE(loop.run_until([&] { return !owner.copy; }));
}
