// ctrlcli against the real server: commands read from standard input, the
// numbering of seq, and every message printed with its arrival time.
#include "support/ServerUnderTest.h"

#include <gtest/gtest.h>
#include <regex>
#include <sstream>

using namespace e2e;

TEST(Ctrlcli, SendsEachLineAndPrintsEveryAnswerWithItsTime)
{
    ServerUnderTest server;
    unsigned short port = server.startOnFreePort();
    ASSERT_TRUE(server.errShows("Starting server "));

    ChildProgram cli;
    cli.root().write("/stdin.txt", "ping\n"
                                   "# a comment\n"
                                   "slot 5 ping\n"
                                   "seq 70 query\n"
                                   "{ seq 9, pdu command : ping : NULL }\n"
                                   "connect : 6\n"
                                   "no such command\n");
    cli.start("tools/ctrlcli", {"--port", std::to_string(port)});
    // The line that could not be sent shows in the exit status; the lines
    // after it are still sent.
    EXPECT_EQ(1, exitCode(cli.waitExit()));

    // Lines: "hh:mm:ss.mmm > sent" or "hh:mm:ss.mmm < received".
    std::regex line("[0-9]{2}:[0-9]{2}:[0-9]{2}\\.[0-9]{3} ([<>] .*)");
    std::vector<std::string> sent, received;
    std::istringstream out(cli.out());
    for (std::string text; std::getline(out, text);) {
        std::smatch match;
        ASSERT_TRUE(std::regex_match(text, match, line)) << text;
        (match[1].str()[0] == '>' ? sent : received).push_back(match[1].str().substr(2));
    }
    EXPECT_EQ(std::vector<std::string>({"{ seq 1, pdu command : ping : NULL }",
                                        "{ seq 2, slot 5, pdu command : ping : NULL }",
                                        "{ seq 70, pdu command : query : NULL }",
                                        "{ seq 9, pdu command : ping : NULL }",
                                        "{ seq 3, pdu command : connect : 6 }"}),
              sent);
    EXPECT_EQ(std::vector<std::string>({"{ seq 1, pdu response : success : NULL }",
                                        "{ seq 2, slot 5, pdu response : success : NULL }",
                                        "{ seq 70, pdu response : error : unexpectedMsgType }",
                                        "{ seq 9, pdu response : success : NULL }",
                                        "{ seq 3, pdu response : error : unexpectedMsgType }"}),
              received);
    EXPECT_NE(std::string::npos, cli.err().find("ctrlcli: not a message or command: no such command\n"));

    ASSERT_TRUE(server.signal(SIGTERM));
    EXPECT_EQ(0, exitCode(server.waitExit()));
}

TEST(Ctrlcli, ExitStatusTellsWhetherEveryLineWasSent)
{
    struct Case {
        char const* what;
        char const* input;
        int status;
    };
    Case const cases[] = {
        {"every line sent", "ping\nseq 4 ping\n", 0},
        {"no line at all", "# nothing\n\n", 0},
        {"a line that is no command", "ping\nbogus 1\n", 1},
        {"a slot out of range", "slot 1024 ping\nping\n", 1},
        {"a last line without its end that is no command", "ping\nbogus", 1},
    };
    // A server for each case: the server takes one controller at a time
    // and would refuse a connection made before it saw the last one go.
    for (Case const& c : cases) {
        ServerUnderTest server;
        unsigned short port = server.startOnFreePort();
        ASSERT_TRUE(server.errShows("Starting server "));
        ChildProgram cli;
        cli.root().write("/stdin.txt", c.input);
        cli.start("tools/ctrlcli", {"--port", std::to_string(port)});
        EXPECT_EQ(c.status, exitCode(cli.waitExit())) << c.what;
        ASSERT_TRUE(server.signal(SIGTERM));
        EXPECT_EQ(0, exitCode(server.waitExit()));
    }
}
