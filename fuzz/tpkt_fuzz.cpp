// libFuzzer entry of the TPKT framing layer under a stream cut into reads (see scripts/fuzz.sh).
#include "fuzz/tpkt_fuzz_check.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(std::uint8_t const* data, std::size_t size)
{
    std::string report;
    if (TpktFuzz::checkInput(data, size, report) == TpktFuzz::Outcome::Mismatch) {
        std::fprintf(stderr, "tpkt: %s\n", report.c_str());
        std::abort();
    }
    return 0;
}
