// Child supervision with real children. The SIGCHLD handler reaps every
// child of the process, so these tests live in a program of their own.
#include "runtime/loop/ChildWait.h"
#include "runtime/loop/ChildWaitService.h"
#include "runtime/loop/Dpc.h"
#include "runtime/loop/Multiplexer.h"
#include "support/LoopProbes.h"
#include "support/StreamCapture.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <functional>
#include <memory>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

using looptest::After;
using looptest::Pipe;

namespace {

// Forks a child that exits with code, or kills itself with a signal, once
// the parent closes release (when given).
pid_t spawn(int code, int signal = 0, Pipe* release = nullptr)
{
    pid_t pid = ::fork();
    if (pid == 0) {
        if (release) {
            release->write.close();
            BlockMode(release->read.get());
            char c;
            while (::read(release->read.get(), &c, 1) > 0) {
            }
        }
        if (signal)
            ::kill(::getpid(), signal);
        ::_exit(code);
    }
    return pid;
}

// A waiter that records the statuses delivered to it.
class Watcher {
public:
    explicit Watcher(std::function<void()> onExit = {}) : onExit_(std::move(onExit))
    {
        wait.Bind(this, &Watcher::exited);
    }
    ChildWait wait;
    std::vector<int> statuses;

private:
    void exited(int status)
    {
        statuses.push_back(status);
        if (onExit_)
            onExit_();
    }
    std::function<void()> onExit_;
};

// Runs the loop until done() holds after a pass, or fails after a while.
void runUntil(std::function<bool()> done)
{
    struct Check {
        std::function<bool()> done;
        void invoke()
        {
            if (done())
                multiplexer.terminate();
        }
    } check{std::move(done)};
    Dpc dpc;
    dpc.Bind(&check, &Check::invoke);
    dpc.Activate();
    After deadline(20000, [] {
        ADD_FAILURE() << "the exits were not delivered";
        multiplexer.terminate();
    });
    multiplexer.run(false, true);
}

std::vector<ChildWait*> listed()
{
    std::vector<ChildWait*> result;
    for (ChildWait* w : ChildWaitService::childWaitService->waiters())
        result.push_back(w);
    return result;
}

class ChildWaitTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE(nullptr, ChildWaitService::childWaitService);
        ChildWait::Activate();
    }
};

TEST_F(ChildWaitTest, HandlerIsInstalledWithRestartAndTheServiceWatchesItsSocket)
{
    struct sigaction action {};
    sigaction(SIGCHLD, nullptr, &action);
    EXPECT_EQ(&ChildWaitService::SigChldHandlerWrapper, action.sa_handler);
    EXPECT_TRUE(action.sa_flags & SA_RESTART);
    EXPECT_TRUE(multiplexer.event_exists(ChildWaitService::childWaitService));
    EXPECT_EQ("ChildWaitService::OnChildEvent", ChildWaitService::childWaitService->name());
}

TEST_F(ChildWaitTest, ChildrenExitingTogetherReachTheirOwnWaitersWithTheirStatus)
{
    struct Case {
        int code, signal;
    };
    Case const cases[] = {{0, 0}, {7, 0}, {0, SIGKILL}, {0, SIGTERM}};
    Pipe release;
    std::vector<std::unique_ptr<Watcher>> watchers;
    for (auto const& c : cases) {
        watchers.push_back(std::make_unique<Watcher>());
        watchers.back()->wait.Attach(spawn(c.code, c.signal, &release));
    }
    release.write.close();

    runUntil([&] {
        for (auto const& w : watchers)
            if (w->statuses.empty())
                return false;
        return true;
    });

    for (std::size_t i = 0; i < watchers.size(); ++i) {
        ASSERT_EQ(1u, watchers[i]->statuses.size()) << i;
        int status = watchers[i]->statuses[0];
        if (cases[i].signal) {
            EXPECT_TRUE(WIFSIGNALED(status)) << i;
            EXPECT_EQ(cases[i].signal, WTERMSIG(status)) << i;
        } else {
            EXPECT_TRUE(WIFEXITED(status)) << i;
            EXPECT_EQ(cases[i].code, WEXITSTATUS(status)) << i;
        }
        EXPECT_FALSE(watchers[i]->wait.listed());
    }
    EXPECT_TRUE(listed().empty());
}

TEST_F(ChildWaitTest, OnlyTheFirstOfTwoWaitersForOnePidIsTold)
{
    Watcher first, second;
    pid_t pid = spawn(1);
    first.wait.Attach(pid);
    second.wait.Attach(pid);

    runUntil([&] { return !first.statuses.empty(); });

    EXPECT_TRUE(second.statuses.empty());
    EXPECT_EQ(std::vector<ChildWait*>{&second.wait}, listed());
}

TEST_F(ChildWaitTest, AttachingAgainMovesToTheTailAndDetachingLeavesTheOthers)
{
    auto a = std::make_unique<Watcher>();
    Watcher b, c;
    a->wait.Attach(101);
    b.wait.Attach(102);
    c.wait.Attach(103);
    a->wait.Attach(104);
    EXPECT_EQ((std::vector<ChildWait*>{&b.wait, &c.wait, &a->wait}), listed());
    EXPECT_EQ(104, a->wait.pid());

    b.wait.Detach();
    b.wait.Detach();
    EXPECT_EQ((std::vector<ChildWait*>{&c.wait, &a->wait}), listed());

    Watcher neverAttached;
    a.reset();
    { Watcher temporary; }
    EXPECT_EQ(std::vector<ChildWait*>{&c.wait}, listed());
    c.wait.Detach();
}

TEST_F(ChildWaitTest, AWaiterMayDestroyItselfAndBeReusedForAnotherChild)
{
    std::unique_ptr<Watcher> once;
    once = std::make_unique<Watcher>([&] { once.reset(); });
    Watcher again;
    once->wait.Attach(spawn(2));
    again.wait.Attach(spawn(3));

    runUntil([&] { return !once && !again.statuses.empty(); });

    again.wait.Attach(spawn(4));
    runUntil([&] { return again.statuses.size() == 2; });
    EXPECT_EQ(4, WEXITSTATUS(again.statuses[1]));
}

TEST_F(ChildWaitTest, AnUnknownChildIsReapedAndLogged)
{
    StreamCapture log(std::clog);
    pid_t pid = spawn(9);
    std::string expected = "terminate child process, pid=" + std::to_string(pid) + " status=" + std::to_string(9 << 8) + "\n";

    runUntil([&] { return log.text().find(expected) != std::string::npos; });

    EXPECT_NE(std::string::npos, log.text().find(expected)) << log.text();
    errno = 0;
    EXPECT_EQ(-1, ::waitpid(pid, nullptr, WNOHANG));
    EXPECT_EQ(ECHILD, errno);
}

TEST_F(ChildWaitTest, TheSignalHandlerKeepsErrno)
{
    errno = EDOM;
    ChildWaitService::SigChldHandlerWrapper(SIGCHLD);
    EXPECT_EQ(EDOM, errno);
}

// More exits than the socket pair can queue while the loop is busy: the
// handler never blocks, and every exit still arrives.
TEST_F(ChildWaitTest, ExitsBeyondTheQueueCapacityAreAllDelivered)
{
    constexpr int children = 320;
    std::vector<std::unique_ptr<Watcher>> watchers;
    int delivered = 0;
    for (int i = 0; i < children; ++i) {
        watchers.push_back(std::make_unique<Watcher>([&] { ++delivered; }));
        pid_t pid = spawn(i & 0x7f);
        ASSERT_GT(pid, 0);
        watchers.back()->wait.Attach(pid);
    }

    runUntil([&] { return delivered == children; });

    EXPECT_EQ(children, delivered);
    for (int i = 0; i < children; ++i) {
        ASSERT_EQ(1u, watchers[i]->statuses.size()) << i;
        EXPECT_EQ(i & 0x7f, WEXITSTATUS(watchers[i]->statuses[0])) << i;
    }
}

} // namespace
