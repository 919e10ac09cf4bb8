#include "hardware/BackTrace.h"

#include <cstdio>
#include <cstdlib>
#include <sys/types.h>
#include <execinfo.h>

void print_trace()
{
    void* frames[10];
    int const count = ::backtrace(frames, 10);
    char** symbols = ::backtrace_symbols(frames, count);
    std::printf("Obtained %zd stack frames.\n", static_cast<ssize_t>(count));
    if (symbols) {
        for (int i = 0; i < count; ++i)
            std::printf("%s\n", symbols[i]);
        std::free(symbols);
    }
    std::fflush(stdout);
}
