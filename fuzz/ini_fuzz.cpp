// libFuzzer entry of the configuration file parser and reader (see scripts/fuzz.sh).
#include "fuzz/ini_fuzz_check.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(std::uint8_t const* data, std::size_t size)
{
    std::string report;
    if (IniFuzz::checkInput(data, size, report) == IniFuzz::Outcome::Mismatch) {
        std::fprintf(stderr, "ini: %s\n", report.c_str());
        std::abort();
    }
    return 0;
}
