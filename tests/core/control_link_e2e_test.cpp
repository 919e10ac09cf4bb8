// The control link of the real server: TPKT frames of hand-built PER bytes
// on loopback, and the answers the server sends back.
#include "support/ControllerLink.h"

#include <gtest/gtest.h>

using namespace e2e;

namespace {

// One server for the whole program; each test connects its own controller.
class ControlLink : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        server_ = new ServerUnderTest;
        server_->startOnFreePort();
    }
    static void TearDownTestSuite()
    {
        server_->signal(SIGTERM);
        server_->waitExit();
        delete server_;
        server_ = nullptr;
    }

    void SetUp() override { ASSERT_TRUE(controller_.connectServed(server_->port())); }

    // Sends one frame and returns the payload of the answer.
    std::string ask(std::string const& payload)
    {
        if (!controller_.send(bytes_of<char>(payload)))
            return "send failed";
        return controller_.receive();
    }

    static ServerUnderTest* server_;
    ControllerLink controller_;
};

ServerUnderTest* ControlLink::server_ = nullptr;

struct Exchange {
    char const* what;
    char const* request;
    char const* answer;
};

class Answers : public ControlLink, public ::testing::WithParamInterface<Exchange> {};

} // namespace

TEST_P(Answers, EchoSeqAndSlotOfTheCommand)
{
    EXPECT_EQ(GetParam().answer, ask(GetParam().request)) << GetParam().what;
}

// Payloads: 06 00 is {pdu command : ping : NULL}; after the head 80 01 07
// (seq 7), C0 01 07 00 05 (seq 7, slot 5) or 40 00 05 (slot 5) the ping is
// 18. Answers: 10 success, 40 after a head; 19 00 unexpectedMsgType, 64
// after a head; 18 80 invalidSlot, 62 after a head.
INSTANTIATE_TEST_SUITE_P(
    ControlLink, Answers,
    ::testing::Values(
        Exchange{"ping", "06 00", "10"},
        Exchange{"ping with seq 7", "80 01 07 18", "80 01 07 40"},
        Exchange{"ping with seq 7 and slot 5", "C0 01 07 00 05 18", "C0 01 07 00 05 40"},
        Exchange{"ping with slot 5", "40 00 05 18", "40 00 05 40"},
        Exchange{"ping with slot 1023", "40 03 FF 18", "40 03 FF 40"},
        Exchange{"ping with slot 1024", "C0 01 07 04 00 18", "80 01 07 62"},
        Exchange{"ping with slot 65535", "40 FF FF 18", "18 80"},
        Exchange{"response from the controller", "10", "19 00"},
        Exchange{"response with seq and slot", "C0 01 07 00 05 40", "80 01 07 64"},
        Exchange{"signal activated from the controller", "21 40", "19 00"},
        Exchange{"query without a slot: no slot table on this board", "80 01 07 00", "80 01 07 64"},
        Exchange{"disconnect with a slot: no slot table", "C0 01 07 00 05 06", "C0 01 07 00 05 64"},
        Exchange{"unknown extension command", "08 00 01 00", "19 00"}));

TEST_F(ControlLink, GarbageFramesAreDroppedAndTheNextPingIsAnswered)
{
    ASSERT_TRUE(controller_.send(bytes_of<char>("FF")));
    ASSERT_TRUE(controller_.send(bytes_of<char>("C0 01")));
    ASSERT_TRUE(controller_.write(bytes_of<char>("55 03 01")));  // no frame start, then a bad reserved byte
    ASSERT_TRUE(controller_.send(bytes_of<char>("80 01 07 18")));
    EXPECT_EQ("80 01 07 40", controller_.receive());
    EXPECT_TRUE(server_->errShows("receive fail: decode error!\n msg: FF \n"));
    EXPECT_TRUE(server_->errShows("receive fail: decode error!\n msg: C0 01 \n"));
}

TEST_F(ControlLink, TwoFramesInOneWriteGetTwoAnswersInOrder)
{
    Bytes both = tpkt_frame(bytes_of<char>("80 01 01 18"));
    Bytes second = tpkt_frame(bytes_of<char>("80 01 02 18"));
    both.insert(both.end(), second.begin(), second.end());
    ASSERT_TRUE(controller_.write(both));
    EXPECT_EQ("80 01 01 40", controller_.receive());
    EXPECT_EQ("80 01 02 40", controller_.receive());
}

TEST_F(ControlLink, FrameWrittenAByteAtATimeIsAnsweredOnce)
{
    for (char b : tpkt_frame(bytes_of<char>("C0 01 07 00 05 18"))) {
        ASSERT_TRUE(controller_.write(Bytes{b}));
        std::this_thread::sleep_for(milliseconds(5));
    }
    EXPECT_EQ("C0 01 07 00 05 40", controller_.receive());
    EXPECT_EQ("", controller_.receive(milliseconds(200)));
}

TEST_F(ControlLink, SecondControllerIsRefusedWhileTheFirstIsServed)
{
    ControllerLink second;
    ASSERT_TRUE(second.connect(server_->port()));
    EXPECT_TRUE(second.closedByServer());
    EXPECT_EQ("80 01 09 40", ask("80 01 09 18"));
}

TEST_F(ControlLink, NextControllerIsServedAfterTheFirstLeft)
{
    EXPECT_EQ("10", ask("06 00"));
    controller_.close();
    ControllerLink next;
    EXPECT_TRUE(next.connectServed(server_->port()));
}
