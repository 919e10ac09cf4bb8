#include "runtime/link/ConnectorNet.h"

#include "support/ConnectionTestSupport.h"
#include "support/LoopStepper.h"

#include <gtest/gtest.h>

// The peer is down at start: the first attempt and 7 fast retries one second
// apart, then the slow plan; the peer that comes up meanwhile is reached at
// the next slow attempt and not before.
TEST(ConnectorRetryPlan, FastRetriesThenTheSlowPlanUntilThePeerComesUp)
{
    StreamCapture errors(std::cerr);
    StreamCapture output(std::cout);
    unsigned port = TcpListener().port();
    Control::ConnectorNet link("127.0.0.1", static_cast<unsigned short>(port));
    RecordingNotify notify(link);
    link.Bind(&notify);
    LoopStepper loop;

    // An attempt counts once its failure is logged; loopback settles that
    // in real time while the test clock stands still.
    std::vector<uint32_t> attempts;
    auto failures = [&] { return occurrences(errors.text(), "connect to 127.0.0.1:" + std::to_string(port)); };
    auto attempt_settles = [&] {
        ASSERT_TRUE(loop.run_until([&] { return failures() == static_cast<int>(attempts.size()) + 1; }));
        attempts.push_back(loop.now());
    };
    link.Activate();
    attempt_settles();
    for (int retry = 1; retry <= 7; ++retry) {
        loop.advance(Control::ConnectorNet::fast_retry_ms - 1);
        ASSERT_EQ(retry, failures()) << "retry " << retry << " came early";
        loop.advance(1);
        attempt_settles();
    }
    for (std::size_t i = 1; i < attempts.size(); ++i)
        EXPECT_EQ(Control::ConnectorNet::fast_retry_ms, attempts[i] - attempts[i - 1]) << "retry " << i;

    // Loopback refuses through an error on the socket; a refusal at once
    // would use the 20000 ms interval instead.
    std::string const text = errors.text();
    std::string const last = text.substr(text.rfind('\n', text.size() - 2) + 1);
    unsigned const slow = last.rfind("can't connect", 0) == 0 ? Control::ConnectorNet::refused_retry_ms
                                                              : Control::ConnectorNet::hangup_retry_ms;
    TcpListener peer(port);
    ASSERT_EQ(port, peer.port());
    loop.advance(slow - 1);
    EXPECT_EQ(8, failures());
    EXPECT_EQ(0, notify.count("connect")) << "no attempt before the slow one";
    loop.advance(1);
    ASSERT_TRUE(loop.run_until([&] { return notify.count("connect") == 1; }));
    EXPECT_EQ(8, failures());
    EXPECT_EQ("connected to 127.0.0.1:" + std::to_string(port) + ".\n", output.text());
    link.Deactivate();
    link.UnBind();
}
