// Message connections over many connections: no descriptor is left behind
// whatever way a connection ends, and a receiver may destroy its connection
// when it is told of the loss.
#include "runtime/link/AcceptorNetCheckConnection.h"
#include "runtime/link/ConnectorNet.h"

#include "support/ConnectionTestSupport.h"
#include "support/LoopStepper.h"

#include <dirent.h>
#include <gtest/gtest.h>
#include <memory>

using State = Control::Service::State;

namespace {

int open_descriptors()
{
    int n = 0;
    if (DIR* d = opendir("/proc/self/fd")) {
        while (readdir(d))
            ++n;
        closedir(d);
    }
    return n;
}

struct Quiet {
    StreamCapture out{std::cout};
    StreamCapture err{std::cerr};
    StreamCapture log{std::clog};
};

// Destroys the connection it is bound to when told of the loss.
struct DroppingOwner : Control::Notify {
    std::unique_ptr<Control::Service> link;
    void OnConnect() override {}
    void OnDisconnect() override { link.reset(); }
    void OnMessage(char const*, int) override {}
};

} // namespace

TEST(ConnectionDescriptors, AcceptorLeavesNoDescriptorBehind)
{
    Quiet quiet;
    LoopStepper loop;
    Control::AcceptorNetCheckConnection link(0);
    RecordingNotify notify(link);
    link.Bind(&notify);
    ASSERT_TRUE(link.Activate());
    unsigned const port = link.bound_port();
    loop.pass(); // the main loop's own descriptors exist from its first pass on
    int const before = open_descriptors();
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        {
            TpktClient peer(port);
            ASSERT_TRUE(loop.run_until([&] { return notify.count("connect") == i + 1; }, 3000));
            TpktClient knocking(port);
            ASSERT_TRUE(loop.run_until([&] { return occurrences(quiet.err.text(), "refuse connection") == i + 1; }, 3000));
            if (i % 2)
                link.Disconnect();
        }
        ASSERT_TRUE(loop.run_until([&] { return notify.count("disconnect") == i + 1; }, 3000));
        EXPECT_EQ(before, open_descriptors());
    }
    link.Deactivate();
    ASSERT_TRUE(link.Activate());
    EXPECT_EQ(before, open_descriptors());
    link.Deactivate();
    link.UnBind();
}

TEST(ConnectionDescriptors, ConnectorLeavesNoDescriptorBehind)
{
    Quiet quiet;
    LoopStepper loop;
    TcpListener peer;
    unsigned const refusing = TcpListener().port();
    loop.pass();
    int const before = open_descriptors();
    {
        Control::ConnectorNet link("127.0.0.1", static_cast<unsigned short>(peer.port()));
        RecordingNotify notify(link);
        link.Bind(&notify);
        for (int i = 0; i < 3; ++i) {
            ASSERT_TRUE(link.Activate());
            ASSERT_TRUE(loop.run_until([&] { return notify.count("connect") == i + 1; }, 3000));
            TpktClient accepted(peer.accept_within(1000));
            link.Deactivate();
        }
        // An attempt still under way is abandoned.
        link.Activate();
        link.Deactivate();
        TpktClient abandoned(peer.accept_within(200));
        link.UnBind();
    }
    {
        Control::ConnectorNet link("127.0.0.1", static_cast<unsigned short>(refusing));
        ASSERT_TRUE(link.Activate());
        ASSERT_TRUE(loop.run_until([&] { return quiet.err.text().find("connect to 127.0.0.1:") != std::string::npos; },
                                   3000));
        link.Deactivate();
    }
    EXPECT_EQ(before, open_descriptors());
}

TEST(ConnectionDescriptors, ReceiverMayDestroyItsConnectionWhenToldOfTheLoss)
{
    Quiet quiet;
    LoopStepper loop;
    TcpListener listener;
    for (bool acceptor : {true, false}) {
        SCOPED_TRACE(acceptor ? "acceptor" : "connector");
        DroppingOwner owner;
        Control::Service* link = acceptor
            ? static_cast<Control::Service*>(new Control::AcceptorNetCheckConnection(0))
            : new Control::ConnectorNet("127.0.0.1", static_cast<unsigned short>(listener.port()));
        owner.link.reset(link);
        link->Bind(&owner);
        ASSERT_TRUE(link->Activate());
        std::unique_ptr<TpktClient> peer;
        if (acceptor)
            peer = std::make_unique<TpktClient>(static_cast<Control::AcceptorNet*>(link)->bound_port());
        ASSERT_TRUE(loop.run_until([&] { return link->state() == State::Connected; }, 3000));
        if (!acceptor)
            peer = std::make_unique<TpktClient>(listener.accept_within(1000));
        peer.reset();
        ASSERT_TRUE(loop.run_until([&] { return !owner.link; }, 3000));
        loop.run_until([] { return false; }, 20);
    }
}
