// The control server's dispatch and answer rules, signal fan-out and the
// heartbeat, with stand-in services and a controller on a loopback TCP
// connection attached straight to the server's connection object.
#include "protocol/CtrlSrvServer.h"
#include "protocol/HeartBeatCtl.h"
#include "protocol/asn1/notation/ValueNotation.h"
#include "runtime/link/ControlServiceNet.h"
#include "support/ControllerLoopback.h"
#include "support/LoopStepper.h"
#include "support/StreamCapture.h"

#include <gtest/gtest.h>
#include <arpa/inet.h>
#include <functional>
#include <iterator>
#include <netinet/in.h>
#include <poll.h>
#include <sstream>
#include <sys/socket.h>

namespace {

using ctrltest::LoopbackLink;
using ctrltest::encode;

using ctrltest::readMessage;

// A bound service whose reaction to a command the test chooses; it records
// what it is told in a journal shared by all services of a test.
class StandIn : public CtrlSrv::Service {
public:
    using Reaction = std::function<bool(StandIn&, ZUZU::Command const&)>;

    StandIn(std::string name, std::vector<std::string>& journal, Reaction reaction = {})
        : reaction_(std::move(reaction)), name_(std::move(name)), journal_(journal)
    {
    }

    void OnConnect() override { journal_.push_back(name_ + " connect"); }
    void OnDisconnect() override { journal_.push_back(name_ + " disconnect"); }
    bool OnCommand(ZUZU::Command const& command) override
    {
        journal_.push_back(name_ + " command " + command.getSelectionName());
        return reaction_ && reaction_(*this, command);
    }
    void OnSignal(ZUZU::Signal const& signal) override
    {
        journal_.push_back(name_ + " signal " + signal.getSelectionName());
    }

    Reaction reaction_;

private:
    std::string name_;
    std::vector<std::string>& journal_;
};

ZUZU::Signal activatedSignal()
{
    ZUZU::Signal signal;
    signal.select(ZUZU::Signal::activated);
    return signal;
}

class ControlServer : public ::testing::Test {
protected:
    ~ControlServer() override
    {
        server_.Deactivate();
    }

    // Binds the services, activates the link and connects a controller.
    void start(std::vector<StandIn*> services)
    {
        for (StandIn* service : services)
            server_.Bind(service);
        link_ = new LoopbackLink;
        ASSERT_TRUE(server_.Activate(link_));
        link_->connectController();
        journal_.clear();
        log_.clear();
    }

    void deliver(std::string const& text)
    {
        std::vector<char> bytes = encode(readMessage(text));
        server_.OnMessage(bytes.data(), static_cast<int>(bytes.size()));
    }

    std::vector<std::string> answers() { return link_->received(); }

    LoopStepper loop_;
    std::vector<std::string> journal_;
    StandIn first_{"first", journal_};
    StandIn second_{"second", journal_};
    StandIn third_{"third", journal_};
    CtrlSrv::Server server_;
    LoopbackLink* link_ = nullptr;
    StreamCapture errors_{std::cerr};
    StreamCapture log_{std::clog};
};

using Strings = std::vector<std::string>;

bool answerSuccess(StandIn& s, ZUZU::Command const&)
{
    s.Success();
    return true;
}

} // namespace

TEST_F(ControlServer, CommandGoesToTheFirstServiceThatTakesIt)
{
    second_.reaction_ = answerSuccess;
    third_.reaction_ = answerSuccess;
    start({&first_, &second_, &third_});
    deliver("{ seq 7, slot 5, pdu command : ping : NULL }");
    EXPECT_EQ(Strings({"first command ping", "second command ping"}), journal_);
    EXPECT_EQ(Strings{"{ seq 7, slot 5, pdu response : success : NULL }"}, answers());
}

TEST_F(ControlServer, UnownedMisdirectedAndOutOfRangeMessagesAreRefusedWithoutOfferingThem)
{
    start({&first_});
    deliver("{ seq 1, slot 5, pdu command : destroy : NULL }");
    deliver("{ seq 2, slot 5, pdu response : success : NULL }");
    deliver("{ seq 3, pdu signal : activated : NULL }");
    deliver("{ pdu response : error : internal }");
    // seq 4, slot 1024 (which cannot be encoded as the constrained slot), ping
    char const bigSlot[] = {'\xC0', '\x01', '\x04', '\x04', '\x00', '\x18'};
    server_.OnMessage(bigSlot, sizeof bigSlot);
    EXPECT_EQ(Strings{"first command destroy"}, journal_);
    EXPECT_EQ(Strings({"{ seq 1, slot 5, pdu response : error : unexpectedMsgType }",
                       "{ seq 2, pdu response : error : unexpectedMsgType }",
                       "{ seq 3, pdu response : error : unexpectedMsgType }",
                       "{ pdu response : error : unexpectedMsgType }",
                       "{ seq 4, pdu response : error : invalidSlot }"}),
              answers());
}

struct AnswerRule {
    char const* what;
    std::function<void(StandIn&)> owner;
    Strings answers;
    bool softwareError;
};

class AnswerRules : public ControlServer, public ::testing::WithParamInterface<AnswerRule> {};

TEST_P(AnswerRules, LetThroughOnlyTheAnswersAllowed)
{
    auto const& rule = GetParam();
    first_.reaction_ = [&](StandIn& s, ZUZU::Command const&) {
        rule.owner(s);
        return true;
    };
    start({&first_});
    deliver("{ seq 9, slot 3, pdu command : ping : NULL }");
    EXPECT_EQ(rule.answers, answers()) << rule.what;
    EXPECT_EQ(rule.softwareError,
              errors_.text() == "ctrl [10.1.2.3:4000]: software error: server do NOT send ack!!!\n")
        << rule.what << ": " << errors_.text();
}

std::string const success = "{ seq 9, slot 3, pdu response : success : NULL }";
std::string const busError = "{ seq 9, slot 3, pdu response : error : busError }";

INSTANTIATE_TEST_SUITE_P(
    ControlServer, AnswerRules,
    ::testing::Values(
        AnswerRule{"success", [](StandIn& s) { s.Success(); }, {success}, false},
        AnswerRule{"success, then error", [](StandIn& s) { s.Success(); s.Error(ZUZU::ErrorCause::busError); },
                   {success, busError}, false},
        AnswerRule{"error, then success", [](StandIn& s) { s.Error(ZUZU::ErrorCause::busError); s.Success(); },
                   {busError}, false},
        AnswerRule{"success twice", [](StandIn& s) { s.Success(); s.Success(); }, {success}, false},
        AnswerRule{"error twice",
                   [](StandIn& s) { s.Error(ZUZU::ErrorCause::busError); s.Error(ZUZU::ErrorCause::internal); },
                   {busError}, false},
        AnswerRule{"delayed", [](StandIn& s) { s.delayResponse(); }, {}, false},
        AnswerRule{"delayed, then success", [](StandIn& s) { s.delayResponse(); s.Success(); }, {}, false},
        AnswerRule{"delayed, then error", [](StandIn& s) { s.delayResponse(); s.Error(ZUZU::ErrorCause::busError); },
                   {busError}, false},
        AnswerRule{"nothing", [](StandIn&) {}, {"{ seq 9, slot 3, pdu response : error : internal }"}, true}));

TEST_F(ControlServer, DelayedAnswersEchoTheirOwnCommandWhateverCameBetween)
{
    std::vector<CtrlSrv::DelayedAnswer> delayed;
    first_.reaction_ = [&](StandIn& s, ZUZU::Command const& command) {
        if (command.getSelection() == ZUZU::Command::ping)
            s.Success();
        else
            delayed.push_back(s.delayResponse());
        return true;
    };
    start({&first_});
    deliver("{ pdu command : query : NULL }");
    deliver("{ seq 4, slot 8, pdu command : destroy : NULL }");
    deliver("{ seq 5, pdu command : ping : NULL }");
    ASSERT_EQ(2u, delayed.size());
    first_.delayedSuccess(delayed[1]);
    first_.delayedError(delayed[0], ZUZU::ErrorCause::insufficientResources);
    EXPECT_EQ(Strings({"{ seq 5, pdu response : success : NULL }", "{ seq 4, slot 8, pdu response : success : NULL }",
                       "{ pdu response : error : insufficientResources }"}),
              answers());
    EXPECT_EQ("", errors_.text());
}

TEST_F(ControlServer, SignalReachesEveryOtherServiceBeforeTheController)
{
    second_.reaction_ = [](StandIn& s, ZUZU::Command const&) {
        s.SendSignal(activatedSignal());
        s.Success();
        return true;
    };
    start({&first_, &second_, &third_});
    deliver("{ seq 1, slot 12, pdu command : ping : NULL }");
    second_.SendSignal(activatedSignal()); // between commands, as from a timer
    third_.SendSignal(40, activatedSignal());
    EXPECT_EQ(Strings({"first command ping", "second command ping", "first signal activated",
                       "third signal activated", "first signal activated", "third signal activated",
                       "first signal activated", "second signal activated"}),
              journal_);
    EXPECT_EQ(Strings({"{ slot 12, pdu signal : activated : NULL }", "{ seq 1, slot 12, pdu response : success : NULL }",
                       "{ pdu signal : activated : NULL }", "{ slot 40, pdu signal : activated : NULL }"}),
              answers());
}

// A signal carrying packages of 16000 octets each (an octet string is
// coded up to 16383 octets).
ZUZU::Signal hdlcPackages(int count)
{
    std::string text = "ioctl : hdlcPackages : {";
    for (int i = 0; i < count; ++i) {
        text += i ? ", { body '" : " { body '";
        text += std::string(2 * 16000, '7');
        text += "'H }";
    }
    text += " }";
    ZUZU::Signal signal;
    std::istringstream in(text);
    in >> signal;
    EXPECT_FALSE(in.fail());
    return signal;
}

TEST_F(ControlServer, MessageTooLongForOneFrameIsRefusedWithASendFailLine)
{
    start({&first_});
    first_.SendSignal(3, hdlcPackages(5));
    first_.SendSignal(4, hdlcPackages(4));
    Strings sent = answers();
    ASSERT_EQ(1u, sent.size()) << errors_.text().substr(0, 300);
    EXPECT_EQ(0u, sent[0].find("{ slot 4, pdu signal : ioctl : hdlcPackages : { { body '77 77")) << sent[0].substr(0, 60);
    EXPECT_EQ("ctrl [10.1.2.3:4000]: send fail: message too long! 80016 bytes, at most 65531\n", errors_.text());
}

TEST_F(ControlServer, ConnectAndDisconnectReachEveryServiceInBindOrder)
{
    server_.Bind(&first_);
    server_.Bind(&second_);
    link_ = new LoopbackLink;
    ASSERT_TRUE(server_.Activate(link_));
    link_->connectController();
    EXPECT_EQ("ctrl [10.1.2.3:4000]: controller connect.\n", log_.text());
    server_.Deactivate();
    EXPECT_EQ(Strings({"first connect", "second connect", "first disconnect", "second disconnect"}), journal_);
    first_.SendSignal(activatedSignal());
    EXPECT_EQ("ctrl [null]: send fail: Service not attached!\n", errors_.text());
}

TEST(ControlService, UnboundServiceComplainsAndDoesNothing)
{
    std::vector<std::string> journal;
    StandIn loose("loose", journal);
    StreamCapture errors(std::cerr);
    loose.Success();
    int slot = loose.GetSlot();
    bool connected = true;
    bool bound = loose.CheckServerConnection(connected);
    EXPECT_EQ(-1, slot);
    EXPECT_FALSE(bound);
    EXPECT_EQ("CtrlSrv::Service error! service not connected to server.\n"
              "CtrlSrv::Service error! service not connected to server.\n",
              errors.text());
}

TEST_F(ControlServer, HeartbeatWatchesOnlyAfterACommandAndDropsTheLinkOnTimeout)
{
    HeartBeatCtl heartbeat;
    server_.Bind(&heartbeat);
    start({&first_});
    auto timedOut = [&] { return log_.text().find("heartbeat timeout!!!\n") != std::string::npos; };

    // A connection alone arms nothing, however long the controller is silent.
    EXPECT_FALSE(heartbeat.watching());
    loop_.advance(2 * HeartBeatCtl::timeoutMs);
    EXPECT_FALSE(timedOut());
    EXPECT_FALSE(link_->controllerSeesClose());

    // Every command re-arms, whether the heartbeat answers it or not.
    deliver("{ seq 2, pdu command : query : NULL }");
    EXPECT_TRUE(heartbeat.watching());
    loop_.advance(HeartBeatCtl::timeoutMs - 1);
    deliver("{ seq 3, slot 9, pdu command : ping : NULL }");
    EXPECT_EQ(Strings({"{ seq 2, pdu response : error : unexpectedMsgType }",
                       "{ seq 3, slot 9, pdu response : success : NULL }"}),
              answers());
    EXPECT_EQ(Strings{"first command query"}, journal_); // the ping never reaches the second service

    loop_.advance(HeartBeatCtl::timeoutMs - 1);
    EXPECT_FALSE(timedOut());
    EXPECT_TRUE(heartbeat.watching());
    EXPECT_FALSE(link_->controllerSeesClose());
    loop_.advance(1);
    EXPECT_TRUE(timedOut());
    EXPECT_FALSE(heartbeat.watching());
    EXPECT_TRUE(loop_.run_until([&] { return link_->controllerSeesClose(); }));
    EXPECT_EQ(Strings({"first command query", "first disconnect"}), journal_);
    server_.Deactivate(); // while the heartbeat is still there
}
