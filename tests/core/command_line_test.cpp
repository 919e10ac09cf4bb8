#include "core/CommandLine.h"

#include <gtest/gtest.h>
#include <sstream>

namespace {

struct Case {
    std::vector<char const*> args;
    int status;
    bool daemon;
    unsigned short port;
    bool disableClock;
};

class CommandLineParse : public ::testing::TestWithParam<Case> {};

} // namespace

TEST_P(CommandLineParse, SetsTheOptionsOrEndsStartUp)
{
    Case const& c = GetParam();
    std::vector<char const*> argv = {"server"};
    argv.insert(argv.end(), c.args.begin(), c.args.end());
    ServerOptions options;
    std::ostringstream out, err;
    EXPECT_EQ(c.status, CommandLine::parse(static_cast<int>(argv.size()), argv.data(), options, out, err));
    if (c.status == CommandLine::keepRunning) {
        EXPECT_EQ(c.daemon, options.daemon);
        EXPECT_EQ(c.port, options.port);
        EXPECT_EQ(c.disableClock, options.disableClock);
        EXPECT_EQ("", out.str() + err.str());
    } else {
        EXPECT_EQ(0u, err.str().find("usage: server")) << err.str();
    }
}

int const run = CommandLine::keepRunning;

INSTANTIATE_TEST_SUITE_P(
    Arguments, CommandLineParse,
    ::testing::Values(Case{{}, run, false, 20001, false},
                      Case{{"-D", "--port", "20002", "--disable-clock"}, run, true, 20002, true},
                      Case{{"--daemon", "--port=65535"}, run, true, 65535, false},
                      Case{{"--port", "1"}, run, false, 1, false},
                      Case{{"--port", "0"}, 2, false, 0, false},
                      Case{{"--port", "65536"}, 2, false, 0, false},
                      Case{{"--port", "+80"}, 2, false, 0, false},
                      Case{{"--port"}, 2, false, 0, false},
                      Case{{"--port="}, 2, false, 0, false},
                      Case{{"--daemon", "extra"}, 2, false, 0, false},
                      Case{{"-d"}, 2, false, 0, false}));
