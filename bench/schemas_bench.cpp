// PER aligned encode and decode of whole control-link messages through the
// generated classes: the four kinds of frame the control server handles
// most, from the smallest to one of the largest commands.
#include "fuzz/zuzu_sample_messages.h"

#include <benchmark/benchmark.h>

#include <iterator>
#include <vector>

namespace {

// The sample messages (those of the ZUZU fuzzer's seeds) measured.
char const* const samples[] = {"ping-seq", "error", "trunkStatus", "create-rtp"};

void BM_Encode(benchmark::State& state)
{
    char const* const name = samples[state.range(0)];
    ZUZU::Message message = PerFuzz::sampleMessage(name);
    ASN1::CoderEnv env(ASN1::CoderEnv::per_Aligned);
    std::vector<char> out;
    for (auto _ : state) {
        out.clear();
        if (!env.encode(message, std::back_inserter(out)))
            state.SkipWithError("encode failed");
        benchmark::DoNotOptimize(out.data());
    }
    state.SetLabel(std::string(name) + ", " + std::to_string(out.size()) + " octets");
}
BENCHMARK(BM_Encode)->DenseRange(0, 3);

void BM_Decode(benchmark::State& state)
{
    char const* const name = samples[state.range(0)];
    ASN1::CoderEnv env(ASN1::CoderEnv::per_Aligned);
    std::vector<char> frame;
    env.encode(PerFuzz::sampleMessage(name), std::back_inserter(frame));
    for (auto _ : state) {
        ZUZU::Message message;
        if (!env.decode(frame.data(), frame.data() + frame.size(), message, true))
            state.SkipWithError("decode failed");
        benchmark::DoNotOptimize(&message);
    }
    state.SetLabel(std::string(name) + ", " + std::to_string(frame.size()) + " octets");
}
BENCHMARK(BM_Decode)->DenseRange(0, 3);

} // namespace
