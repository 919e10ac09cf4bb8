// server-sim end to end, the E1 trunks: trunkStatus for the four framers at
// connect and every second, alarms scripted on the simulated maintenance
// driver, the TCLK mask of trunkCfg, CAS commands with their signals in
// order, and every open trunk closed when the controller leaves.
#include "support/ServerSimSession.h"

#include <gtest/gtest.h>
#include <thread>

using namespace e2e;

namespace {

using E1Sim = ServerSimSession;
using Strings = std::vector<std::string>;

char const* const success = "{ seq 1, pdu response : success : NULL }";

std::string e1Status(unsigned trunk, char const* state = "normal", unsigned slips = 0, unsigned ais = 0)
{
    std::ostringstream text;
    text << "{ pdu signal : trunkStatus : { trunk " << trunk << ", state " << state << ", slips " << slips
         << ", lossBF 0, lossCarrier 0, lossAIS " << ais << ", lossRAI 0, name \"\", clockMaster FALSE, type e1 } }";
    return text.str();
}

std::string cas(int trunk, int timeslot, int rx, int tx)
{
    std::ostringstream text;
    text << "{ pdu signal : cas : { channel { path " << trunk << ", timeslot " << timeslot << " }, rx " << rx
         << ", tx " << tx << " } }";
    return text.str();
}

std::string casCommand(int trunk, int timeslot, std::string const& cmd)
{
    std::ostringstream text;
    text << "{ seq 1, pdu command : ioctl : cas : { channel { path " << trunk << ", timeslot " << timeslot
         << " }, cmd " << cmd << " } }";
    return text.str();
}

bool isE1Status(std::string const& text)
{
    return text.find("trunkStatus") != std::string::npos && text.find("type e1") != std::string::npos;
}

} // namespace

class E1SimSession : public E1Sim {
protected:
    // The next n E1 trunkStatus signals (other signals set aside).
    std::vector<Received> e1Signals(unsigned n)
    {
        std::vector<Received> got;
        while (got.size() < n) {
            Received received = next();
            if (received.text.empty() || received.text == "closed")
                break;
            if (isE1Status(received.text))
                got.push_back(received);
        }
        return got;
    }
    // The CAS signals set aside by ask() since the last call.
    Strings casSignals()
    {
        Strings found;
        for (Received const& r : signals_)
            if (r.text.find("pdu signal : cas") != std::string::npos)
                found.push_back(r.text);
        signals_.clear();
        return found;
    }
};

TEST_F(E1SimSession, FourTrunksReportAtConnectAndEverySecondWithScriptedAlarms)
{
    start();
    connect();
    // Before the answer to the connection's ping: the four trunks.
    Strings early;
    for (std::string const& frame : controller_.early) {
        Bytes payload = bytes_of<char>(frame);
        ZUZU::Message message;
        ASN1::CoderEnv env(ASN1::CoderEnv::per_Aligned);
        if (ASN1::decode(payload.data(), payload.data() + payload.size(), &env, message, true) &&
            isE1Status(oneLine(message)))
            early.push_back(oneLine(message));
    }
    EXPECT_EQ(Strings({e1Status(0), e1Status(1), e1Status(2), e1Status(3)}), early);
    std::vector<Received> got = e1Signals(8);
    ASSERT_EQ(8u, got.size());
    for (unsigned i = 0; i < 8; ++i)
        EXPECT_EQ(e1Status(i % 4), got[i].text) << i;
    auto gap = std::chrono::duration_cast<milliseconds>(got[4].at - got[0].at);
    EXPECT_GE(gap.count(), 800);
    EXPECT_LE(gap.count(), patience(milliseconds(1500)).count());

    sim("maintenance state 2 ais");
    sim("maintenance counters 2 3 0 0 1 0");
    // The pass under way may still show the old state.
    got = e1Signals(8);
    ASSERT_EQ(8u, got.size());
    EXPECT_EQ(e1Status(2, "ais", 3, 1), got[6].text);

    // A state word without a name is reported as unknown.
    sim("maintenance state 1 9");
    got = e1Signals(8);
    ASSERT_EQ(8u, got.size());
    EXPECT_EQ(e1Status(1, "unknown"), got[5].text);
}

TEST_F(E1SimSession, TrunkCfgSetsTheTclkMask)
{
    start();
    connect();
    EXPECT_EQ(success, ask("{ seq 1, pdu command : trunkCfg : { trunk 2, mode slave } }"));
    EXPECT_NE(std::string::npos, sim("maintenance show").find("tclk=0x4 "));
    EXPECT_TRUE(server_.errShows("E1: TCLT = 0x4\n"));
    EXPECT_EQ(success, ask("{ seq 1, pdu command : trunkCfg : { trunk 2, mode master } }"));
    EXPECT_NE(std::string::npos, sim("maintenance show").find("tclk=0x0 "));
    // No trunk 40: nothing is written.
    sim("log clear");
    EXPECT_EQ(success, ask("{ seq 1, pdu command : trunkCfg : { trunk 40, mode slave } }"));
    EXPECT_EQ(std::string::npos, sim("log").find("tclk"));
}

TEST_F(E1SimSession, CasOpenSetGetCloseAndTheFarEndsChanges)
{
    start();
    connect();
    EXPECT_EQ(success, ask(casCommand(1, 3, "open : 5")));
    EXPECT_EQ(Strings({cas(1, 0, 0, 0), cas(1, 3, 0, 0)}), casSignals());
    EXPECT_TRUE(server_.errShows("E1: open cas signalling on trunk(1) - ok\n"));

    EXPECT_EQ(success, ask(casCommand(1, 3, "set : 9")));
    EXPECT_EQ(Strings{cas(1, 3, 0, 9)}, casSignals());

    sim("e1-cas rx 1 3 6");
    Received changed;
    do
        changed = next();
    while (!changed.text.empty() && changed.text != "closed" &&
           changed.text.find("pdu signal : cas") == std::string::npos);
    EXPECT_EQ(cas(1, 3, 6, 9), changed.text);

    EXPECT_EQ(success, ask(casCommand(1, 3, "get : NULL")));
    EXPECT_EQ(Strings{cas(1, 3, 6, 9)}, casSignals());
    EXPECT_EQ(success, ask(casCommand(1, 3, "close : NULL")));
    EXPECT_EQ(Strings{cas(1, 3, -1, 1)}, casSignals());
    EXPECT_EQ(success, ask(casCommand(1, 0, "close : NULL")));
    EXPECT_EQ(Strings{cas(1, 0, 1, 0)}, casSignals());

    // Trunk 4 and above: no request, no signal, and still success.
    sim("log clear");
    EXPECT_EQ(success, ask(casCommand(4, 1, "open : 1")));
    EXPECT_TRUE(casSignals().empty());
    EXPECT_EQ(std::string::npos, sim("log").find("e1-cas"));
}

TEST_F(E1SimSession, TheControllerLeavingClosesEveryOpenTrunk)
{
    start();
    connect();
    EXPECT_EQ(success, ask(casCommand(0, 5, "open : 1")));
    EXPECT_EQ(success, ask(casCommand(2, 0, "open : 1")));
    EXPECT_EQ("open=1 configured=1 code=1 rx=0 tx=0\n", sim("e1-cas show 0 5"));
    sim("log clear");
    controller_.close();
    ASSERT_TRUE(server_.errShows("closed.\n"));
    ASSERT_TRUE(eventually([&] { return sim("e1-cas show 2 0").find("open=0") == 0; }, patience(milliseconds(3000))));
    std::string log = sim("log");
    EXPECT_NE(std::string::npos, log.find("/dev/e1-cas close-trunk trunk=0 -> 0"));
    EXPECT_NE(std::string::npos, log.find("/dev/e1-cas close-trunk trunk=2 -> 0"));
    EXPECT_EQ(0u, sim("e1-cas show 0 5").find("open=0"));
}

TEST_F(E1SimSession, AnOpenTrunkOutlivesAHungUpCasDevice)
{
    start();
    connect();
    EXPECT_EQ(success, ask(casCommand(1, 3, "open : 5")));
    EXPECT_EQ(Strings({cas(1, 0, 0, 0), cas(1, 3, 0, 0)}), casSignals());
    sim("log clear");

    // The device hangs up; the server closes it and opens it again at its
    // next status pass, with the trunk.
    sim("fail e1-cas break");
    ASSERT_TRUE(server_.errShows("E1: cas interface error or hang-up, closed\n"));
    ASSERT_TRUE(server_.errShows("E1: cas interface opened again, open cas signalling on trunk(1) - ok\n"));
    EXPECT_EQ(success, ask(casCommand(1, 3, "get : NULL")));
    EXPECT_EQ(Strings{cas(1, 3, 0, 0)}, casSignals());

    // In the request log: the new descriptor, the trunk opened on it, then
    // the get.
    std::istringstream log(sim("log"));
    Strings casRequests;
    for (std::string line; std::getline(log, line);)
        if (line.rfind("/dev/e1-cas ", 0) == 0)
            casRequests.push_back(line.substr(line.find(' ') + 1));
    ASSERT_EQ(3u, casRequests.size());
    EXPECT_EQ(0u, casRequests[0].rfind("open -> ", 0));
    EXPECT_EQ("open-trunk trunk=1 -> 0", casRequests[1]);
    EXPECT_EQ("get trunk=1 timeslot=3 -> 0", casRequests[2]);
}
