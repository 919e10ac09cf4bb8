// libFuzzer entry of the BER decoder on the synthetic schema (see scripts/fuzz.sh).
#include "fuzz/per_fuzz_check.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(std::uint8_t const* data, std::size_t size)
{
    std::string report;
    if (PerFuzz::checkBerInput(data, size, report) == PerFuzz::Outcome::Mismatch) {
        std::fprintf(stderr, "BER round trip: %s\n", report.c_str());
        std::abort();
    }
    return 0;
}
