#include "runtime/loop/Multiplexer.h"
#include "runtime/loop/PollEventText.h"
#include "runtime/base/Profile.h"
#include "support/LoopProbes.h"

#include <gtest/gtest.h>

#include <poll.h>
#include <sstream>
#include <string>
#include <vector>

using looptest::Pipe;
using looptest::Probe;

namespace {

TEST(PollEventAsText, NamesTheBitsSetInBitOrder)
{
    struct Case {
        short mask;
        char const* text;
    };
    Case const cases[] = {
        {0, ""},
        {1, "POLLIN"},
        {5, "POLLIN|POLLOUT"},
        {0x38, "POLLERR|POLLHUP|POLLNVAL"},
        {0x7ff, "POLLIN|POLLPRI|POLLOUT|POLLERR|POLLHUP|POLLNVAL|POLLRDNORM|POLLRDBAND|POLLWRNORM|POLLWRBAND|POLLMSG"},
        {0x800, ""},
        {static_cast<short>(0x8400), "POLLMSG"},
    };
    for (auto const& c : cases)
        EXPECT_EQ(c.text, PollEventAsText(c.mask)) << c.mask;
}

std::vector<std::string> lines(std::string const& text)
{
    std::vector<std::string> result;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        result.push_back(line);
    return result;
}

std::string const rule = "+" + std::string(40, '-') + "+" + std::string(30, '-') + "+" + std::string(10, '-') + "+" +
                         std::string(10, '-') + "+" + std::string(5, '-') + "+" + std::string(60, '-') + "+";

TEST(StatusDump, ShowsTheLoopTimingsAndOneRowPerNamedHandlerOfTheLastPollSet)
{
    Pipe pipe;
    pipe.put();
    Probe polled("polled", [](Probe&, short) { multiplexer.terminate(); });
    polled.watch(pipe.read, POLLIN | POLLOUT);
    multiplexer.run(false, true);
    Probe late("late");
    late.watch(pipe.read, POLLIN);
    polled.event.UnBind();
    Profile::Point point("dump point");

    std::ostringstream out;
    multiplexer.dump(out);
    std::vector<std::string> text = lines(out.str());

    ASSERT_EQ(10u, text.size()) << out.str();
    EXPECT_EQ(0u, text[0].find("dpc transition measurement (min/max/cur/counter): min="));
    EXPECT_EQ(0u, text[1].find("event transition measurement (min/max/cur/counter): min="));
    EXPECT_NE(std::string::npos, text[1].find(" counter=1"));
    EXPECT_EQ(0u, text[2].find("timer transition measurement (min/max/cur/counter): min=0 max=0 avg=0 counter=0"));
    EXPECT_EQ("[dump point]: min=0 max=0 avg=0 counter=0", text[3]);
    text.erase(text.begin() + 3);
    EXPECT_EQ(rule, text[3]);
    EXPECT_EQ("|                  name                  |            events            |  count   | handler  | fd  |"
              "                          measure                           |",
              text[4]);
    EXPECT_EQ(rule, text[5]);
    std::string fd = std::to_string(polled.event.fd().get());
    std::string fdCell = std::string((5 - fd.size()) / 2, ' ') + fd + std::string((5 - fd.size() + 1) / 2, ' ');
    EXPECT_EQ("|                 polled                 |        POLLIN|POLLOUT        |    1     |unattached|" + fdCell +
                  "|                min=0 max=0 avg=0 counter=0                 |",
              text[6]);
    EXPECT_EQ(rule, text[7]);
    EXPECT_EQ("", text[8]);
}

} // namespace
