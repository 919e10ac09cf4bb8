// PER ALIGNED decode and encode of the comparison message set: about 2000
// random ZUZU::Message values (bench/data/zuzu_messages.hex, written once by
// zuzu_bench_messages) that Erlang/OTP's per codec codes alike, so that
// scripts/bench.sh can set these figures beside bench/zuzu_per.escript's on
// the same octets. One iteration codes every message once; the rate is per
// message. A decode starts from a fresh ZUZU::Message, as the control server
// does per frame; an encode appends to an output vector that is cleared, not
// freed, between messages, as a link's send buffer is.
//
// The counters allocs_per_msg and bytes_per_msg count the calls of the
// global operator new during the timed loop (this program replaces it).
#include "protocol/schemas/ZUZU.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <new>
#include <string>
#include <vector>

// GCC takes the malloc and free below, once inlined into the callers of
// new and delete, for a mismatched pair.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

namespace {

unsigned long long allocations = 0;
unsigned long long allocatedBytes = 0;

} // namespace

void* operator new(std::size_t size)
{
    ++allocations;
    allocatedBytes += size;
    if (void* p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace {

typedef std::vector<std::vector<char>> Frames;

Frames const& frames()
{
    static Frames const all = [] {
        Frames read;
        std::ifstream in(ZUZU_BENCH_MESSAGES);
        std::string line;
        while (std::getline(in, line)) {
            std::vector<char> frame;
            for (std::size_t i = 0; i + 1 < line.size(); i += 2)
                frame.push_back(static_cast<char>(std::stoi(line.substr(i, 2), nullptr, 16)));
            read.push_back(frame);
        }
        // ZUZU_BENCH_LIMIT=N times the first N messages only: how much the
        // figures owe to the variety of 2000 messages (branches that the
        // processor cannot learn, trees that the caches cannot hold).
        if (char const* limit = std::getenv("ZUZU_BENCH_LIMIT")) {
            unsigned long const n = std::strtoul(limit, nullptr, 10);
            if (n > 0 && n < read.size())
                read.resize(n);
        }
        return read;
    }();
    return all;
}

// Sets the per-message rate and allocation counters of a loop over all frames.
class AllocationCount {
public:
    explicit AllocationCount(benchmark::State& state) : state_(state), count_(allocations), bytes_(allocatedBytes) {}
    ~AllocationCount()
    {
        double const messages = static_cast<double>(state_.iterations()) * static_cast<double>(frames().size());
        state_.SetItemsProcessed(static_cast<int64_t>(messages));
        state_.counters["allocs_per_msg"] = static_cast<double>(allocations - count_) / messages;
        state_.counters["bytes_per_msg"] = static_cast<double>(allocatedBytes - bytes_) / messages;
    }

private:
    benchmark::State& state_;
    unsigned long long count_;
    unsigned long long bytes_;
};

void BM_ZuzuDecode(benchmark::State& state)
{
    Frames const& all = frames();
    if (all.empty()) {
        state.SkipWithError("no messages in " ZUZU_BENCH_MESSAGES);
        return;
    }
    ASN1::CoderEnv env(ASN1::CoderEnv::per_Aligned);
    AllocationCount count(state);
    for (auto _ : state) {
        for (std::vector<char> const& frame : all) {
            ZUZU::Message message;
            if (!env.decode(frame.data(), frame.data() + frame.size(), message, true))
                state.SkipWithError("decode failed");
            benchmark::DoNotOptimize(&message);
        }
    }
}
BENCHMARK(BM_ZuzuDecode);

void BM_ZuzuEncode(benchmark::State& state)
{
    Frames const& all = frames();
    ASN1::CoderEnv env(ASN1::CoderEnv::per_Aligned);
    std::vector<ZUZU::Message> messages(all.size());
    std::vector<char> out;
    for (std::size_t i = 0; i < all.size(); ++i) {
        out.clear();
        if (!env.decode(all[i].data(), all[i].data() + all[i].size(), messages[i], true)
            || !env.encode(messages[i], std::back_inserter(out)) || out != all[i]) {
            state.SkipWithError("a message does not code back to its octets");
            return;
        }
    }
    AllocationCount count(state);
    for (auto _ : state) {
        for (ZUZU::Message const& message : messages) {
            out.clear();
            if (!env.encode(message, std::back_inserter(out)))
                state.SkipWithError("encode failed");
            benchmark::DoNotOptimize(out.data());
        }
    }
}
BENCHMARK(BM_ZuzuEncode);

} // namespace
