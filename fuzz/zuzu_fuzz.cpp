// libFuzzer entry of the PER decoder on control-link messages: each input is
// one ZUZU::Message in the ALIGNED variant, as a TPKT payload carries it
// (see scripts/fuzz.sh).
#include "fuzz/per_fuzz_check.h"
#include "protocol/schemas/ZUZU.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(std::uint8_t const* data, std::size_t size)
{
    std::string report;
    if (PerFuzz::checkRoundTrip(&ZUZU::Message::theInfo, true, data, size, report) == PerFuzz::Outcome::Mismatch) {
        std::fprintf(stderr, "ZUZU round trip: %s\n", report.c_str());
        std::abort();
    }
    return 0;
}
