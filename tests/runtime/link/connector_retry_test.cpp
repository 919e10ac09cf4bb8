#include "runtime/link/ConnectorNet.h"

#include "support/ConnectionTestSupport.h"
#include "support/LoopTestSupport.h"

#include <gtest/gtest.h>

// The peer is down at start: the first attempt and 7 fast retries about a
// second apart, then the slow plan; the peer that comes up meanwhile is
// reached at the next slow attempt.
TEST(ConnectorRetryPlan, FastRetriesThenTheSlowPlanUntilThePeerComesUp)
{
    StreamCapture errors(std::cerr);
    StreamCapture output(std::cout);
    unsigned port = TcpListener().port();
    Control::ConnectorNet link("127.0.0.1", static_cast<unsigned short>(port));
    RecordingNotify notify(link);
    link.Bind(&notify);
    LoopRunner loop;

    std::vector<uint32_t> attempts;
    auto note_attempts = [&] {
        int const n = occurrences(errors.text(), "connect to 127.0.0.1:" + std::to_string(port));
        while (static_cast<int>(attempts.size()) < n)
            attempts.push_back(Mux::milliseconds());
    };
    link.Activate();
    ASSERT_TRUE(loop.run_until([&] { return note_attempts(), attempts.size() == 8; }, 12000));
    for (std::size_t i = 1; i < attempts.size(); ++i) {
        int32_t const interval = Mux::msdiff(attempts[i], attempts[i - 1]);
        EXPECT_GE(interval, 900) << "retry " << i;
        EXPECT_LE(interval, 1800) << "retry " << i;
    }

    // Loopback refuses through an error on the socket; a refusal at once
    // would use the 20000 ms interval instead.
    std::string const text = errors.text();
    std::string const last = text.substr(text.rfind('\n', text.size() - 2) + 1);
    unsigned const slow = last.rfind("can't connect", 0) == 0 ? Control::ConnectorNet::refused_retry_ms
                                                              : Control::ConnectorNet::hangup_retry_ms;
    TcpListener peer(port);
    ASSERT_EQ(port, peer.port());
    ASSERT_TRUE(loop.run_until([&] { return note_attempts(), notify.count("connect") == 1; }, slow + 5000));
    int32_t const wait = Mux::msdiff(Mux::milliseconds(), attempts.back());
    EXPECT_EQ(8u, attempts.size()) << "no attempt before the slow one";
    EXPECT_GE(wait, static_cast<int32_t>(slow) - 100);
    EXPECT_LE(wait, static_cast<int32_t>(slow) + 3000);
    EXPECT_EQ("connected to 127.0.0.1:" + std::to_string(port) + ".\n", output.text());
    link.Deactivate();
    link.UnBind();
}
