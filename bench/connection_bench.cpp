// Round trip of one message over the control link's stack on loopback TCP:
// a connector sends, an acceptor with connection check echoes, the
// connector receives. Both ends run in this process on the one main loop.
#include "runtime/link/AcceptorNetCheckConnection.h"
#include "runtime/link/ConnectorNet.h"
#include "runtime/loop/Multiplexer.h"
#include "runtime/loop/Timer.h"
#include "tests/support/StreamCapture.h"
#include "tools/EchoReceiver.h"

#include <benchmark/benchmark.h>

#include <iostream>
#include <sstream>
#include <vector>

namespace {

// Stops the loop when connected and at every message that comes back.
class Client : public Control::Notify {
public:
    void OnConnect() override
    {
        connected = true;
        multiplexer.terminate();
    }
    void OnDisconnect() override { connected = false; }
    void OnMessage(char const*, int) override
    {
        ++received;
        multiplexer.terminate();
    }
    bool connected = false;
    long received = 0;
};

// Ends a loop run that waits for something that never comes.
struct Deadline {
    void expire() { multiplexer.terminate(); }
    Timer timer;
};

void BM_MessageRoundTripOverLoopbackTcp(benchmark::State& state)
{
    StreamCapture out(std::cout);
    StreamCapture err(std::cerr);
    StreamCapture log(std::clog);
    {
        Control::AcceptorNetCheckConnection server(0);
        EchoReceiver echo(server);
        server.Bind(&echo);
        server.Activate();
        Control::ConnectorNet link("127.0.0.1", static_cast<unsigned short>(server.bound_port()));
        Client client;
        link.Bind(&client);
        link.Activate();
        Deadline deadline;
        deadline.timer.set(3000, &Deadline::expire, &deadline);
        if (!client.connected)
            multiplexer.run(false, true);
        deadline.timer.reset();

        std::vector<char> payload(static_cast<std::size_t>(state.range(0)), 0x5A);
        if (!client.connected)
            state.SkipWithError("no connection");
        for (auto _ : state) {
            if (!client.connected)
                break;
            long const expected = client.received + 1;
            link.Send(payload.data(), static_cast<int>(payload.size()));
            while (client.received < expected && client.connected)
                multiplexer.run(false, true);
            out.clear();
            err.clear();
            log.clear();
        }
        state.SetItemsProcessed(state.iterations());
        link.Deactivate();
        server.Deactivate();
    }
}
BENCHMARK(BM_MessageRoundTripOverLoopbackTcp)->Arg(16)->Arg(1400)->Arg(16000)->UseRealTime();

} // namespace
