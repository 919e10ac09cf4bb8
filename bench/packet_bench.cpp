// Packet bodies from the pool against 64 KiB from the heap, and TPKT frames
// through the stream and TPKT layers on a socket pair.
#include "runtime/loop/Multiplexer.h"
#include "runtime/packet/ProtocolsList.h"
#include "runtime/packet/StrmProtocol.h"
#include "runtime/packet/TpktProtocol.h"
#include "tests/support/StreamCapture.h"

#include <benchmark/benchmark.h>

#include <iostream>
#include <sstream>
#include <sys/socket.h>
#include <vector>

namespace {

void BM_PacketTakeRelease(benchmark::State& state)
{
    for (auto _ : state) {
        Packet p;
        p.reserve_head(4);
        benchmark::DoNotOptimize(p.payload());
    }
}
BENCHMARK(BM_PacketTakeRelease);

void BM_HeapNewDelete64K(benchmark::State& state)
{
    for (auto _ : state) {
        auto* body = new unsigned char[65536];
        benchmark::DoNotOptimize(body);
        delete[] body;
    }
}
BENCHMARK(BM_HeapNewDelete64K);

void BM_PacketCopyOnWrite(benchmark::State& state)
{
    Packet original;
    original.reserve_head(4);
    std::vector<unsigned char> payload(static_cast<std::size_t>(state.range(0)), 0x5A);
    original.append(payload.data(), static_cast<unsigned>(payload.size()));
    for (auto _ : state) {
        Packet copy = original;
        copy.put8(1);
        benchmark::DoNotOptimize(copy.payload());
    }
}
BENCHMARK(BM_PacketCopyOnWrite)->Arg(64)->Arg(1500);

// The receiving end of the frame benchmark: counts payloads and stops the
// loop once a batch is in.
class CountingOwner : public ProtocolsList {
public:
    void on_message(Packet&) override
    {
        if (++received == expected)
            multiplexer.terminate();
    }
    long received = 0;
    long expected = 0;
};

// Frames of range(0) payload bytes, sent in batches of range(1) frames
// through a stream and TPKT stack and read back by the main loop through
// another one on the other end of a socket pair. With batches of one every
// frame costs a loop pass and a read of its own; larger batches arrive in
// few reads.
void BM_TpktFramesThroughSocketPair(benchmark::State& state)
{
    int fds[2];
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds) != 0) {
        state.SkipWithError("socketpair failed");
        return;
    }
    ProtocolsList sender;
    sender.add_protocol_tail(new StrmProtocol(Fd(fds[0])));
    auto* sending_tpkt = new Tpkt_protocol;
    sender.add_protocol_tail(sending_tpkt);
    CountingOwner receiver;
    receiver.add_protocol_tail(new StrmProtocol(Fd(fds[1])));
    receiver.add_protocol_tail(new Tpkt_protocol);
    receiver.last()->activate();

    std::vector<unsigned char> payload(static_cast<std::size_t>(state.range(0)), 0x5A);
    int const batch = static_cast<int>(state.range(1));
    // The loop says goodbye on the log stream after every batch.
    StreamCapture quiet(std::clog);
    for (auto _ : state) {
        receiver.expected = receiver.received + batch;
        for (int i = 0; i < batch; ++i) {
            Packet p;
            sending_tpkt->prepare_head(p);
            p.append(payload.data(), static_cast<unsigned>(payload.size()));
            sending_tpkt->message(p);
        }
        multiplexer.run(false, true);
        quiet.clear();
    }
    state.SetItemsProcessed(state.iterations() * batch);
    state.SetBytesProcessed(state.iterations() * batch * static_cast<long>(payload.size() + 4));
}
BENCHMARK(BM_TpktFramesThroughSocketPair)
    ->Args({16, 1})
    ->Args({1400, 1})
    ->Args({16, 64})
    ->Args({256, 64})
    ->Args({1400, 64})
    ->UseRealTime();

} // namespace
