// libFuzzer entry of the value-notation reader on control-link messages:
// each input is the text of one ZUZU::Message (see scripts/fuzz.sh).
#include "fuzz/avn_fuzz_check.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(std::uint8_t const* data, std::size_t size)
{
    std::string report;
    if (PerFuzz::checkValueNotation(data, size, report) == PerFuzz::Outcome::Mismatch) {
        std::fprintf(stderr, "avn: %s\n", report.c_str());
        std::abort();
    }
    return 0;
}
