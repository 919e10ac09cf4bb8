// The simulated watchdog: words split out of a byte stream without
// separators, the FIFO the main loop's watchdog writes into, the times of
// the words on the test clock, and the dump of the control socket.
#include "runtime/base/RootPath.h"
#include "runtime/loop/Watchdog.h"
#include "sim/SimulatedBoard.h"
#include "sim/WatchdogDevice.h"
#include "support/LoopStepper.h"
#include "support/ScratchRoot.h"

#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::vector<std::string> texts(Sim::WatchdogDevice const& model)
{
    std::vector<std::string> out;
    for (auto const& word : model.words())
        out.push_back(word.text);
    return out;
}

struct Feed {
    char const* what;
    std::vector<std::string> chunks;
    std::vector<std::string> words;
};

} // namespace

TEST(WatchdogDevice, SplitsWordsOutOfTheByteStream)
{
    Feed const feeds[] = {
        {"one word", {"START"}, {"START"}},
        {"a word split over two writes", {"STA", "RT"}, {"START"}},
        {"words run together", {"STARTPINGPINGSTOP"}, {"START", "PING", "PING", "STOP"}},
        {"junk before a word", {"XPING"}, {"?58", "PING"}},
        {"junk after a word", {"PINGxy"}, {"PING", "?7879"}},
        {"a broken word before a whole one", {"STSTART"}, {"?5354", "START"}},
        {"a terminating zero is junk", {std::string("STOP\0", 5)}, {"STOP", "?00"}},
    };
    for (Feed const& feed : feeds) {
        Sim::WatchdogDevice model;
        Sim::Open open;
        for (std::string const& chunk : feed.chunks)
            EXPECT_EQ(static_cast<ssize_t>(chunk.size()), model.write(open, chunk.data(), chunk.size()));
        EXPECT_EQ(feed.words, texts(model)) << feed.what;
    }
}

TEST(WatchdogDevice, KeepsTheNewestWordsAndCountsTheDropped)
{
    Mux::TestClock clock;
    Sim::WatchdogDevice model;
    Sim::Open open;
    for (std::size_t i = 0; i < Sim::WatchdogDevice::capacity + 3; ++i) {
        clock.advance(1000);
        model.write(open, "PING", 4);
    }
    EXPECT_EQ(Sim::WatchdogDevice::capacity, model.words().size());
    EXPECT_EQ(3u, model.dropped());
    EXPECT_EQ(clock.now() - 1000 * (Sim::WatchdogDevice::capacity - 1), model.words().front().ms);

    std::ostringstream reply;
    ASSERT_TRUE(model.control({}, reply));
    EXPECT_NE(std::string::npos, reply.str().find("\ndropped 3\n"));
    ASSERT_TRUE(model.control({"clear"}, reply));
    EXPECT_TRUE(model.words().empty());
    EXPECT_EQ(0u, model.dropped());
    EXPECT_FALSE(model.control({"bogus"}, reply));
}

TEST(WatchdogDevice, RecordsWhatTheLoopsWatchdogWritesWithItsTime)
{
    ScratchRoot root;
    // What an older set-up left at the path: a link to the null device.
    root.makeDir("/dev/misc");
    std::filesystem::create_symlink("/dev/null", root.path("/dev/misc/gw-wd"));

    LoopStepper loop(5000);
    Sim::SimulatedBoard board;
    auto& model = static_cast<Sim::WatchdogDevice&>(board.add(std::make_unique<Sim::WatchdogDevice>()));
    std::string error;
    ASSERT_TRUE(model.listen(error)) << error;
    struct stat st{};
    ASSERT_EQ(0, ::lstat(root.path("/dev/misc/gw-wd").c_str(), &st));
    EXPECT_TRUE(S_ISFIFO(st.st_mode));

    Watchdog watchdog;
    watchdog.open(rootPath("/dev/misc/gw-wd"));
    ASSERT_TRUE(watchdog.isOpen());
    ASSERT_TRUE(loop.run_until([&] { return model.words().size() == 1; }));
    loop.clock().advance(1000);
    watchdog.ping();
    ASSERT_TRUE(loop.run_until([&] { return model.words().size() == 2; }));
    loop.clock().advance(250);
    watchdog.stop();
    ASSERT_TRUE(loop.run_until([&] { return model.words().size() == 3; }));

    std::ostringstream reply;
    board.control("watchdog", reply);
    EXPECT_EQ("5000 START\n6000 PING\n6250 STOP\nok\n", reply.str());

    // A second run of the loop opens the same FIFO again.
    board.control("watchdog clear", reply);
    watchdog.open(rootPath("/dev/misc/gw-wd"));
    ASSERT_TRUE(loop.run_until([&] { return model.words().size() == 1; }));
    EXPECT_EQ("START", model.words().front().text);
    model.stop();
}
