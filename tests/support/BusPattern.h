#pragma once
// The byte pattern of a board test as the controller computes it: the C
// library's random() sequence after srandom(seed), the low byte of each draw.
#include <cstdlib>
#include <vector>

inline std::vector<unsigned> busTestPattern(unsigned seed, unsigned length)
{
    ::srandom(seed);
    std::vector<unsigned> bytes;
    for (unsigned i = 0; i < length; ++i)
        bytes.push_back(static_cast<unsigned>(::random()) & 0xFF);
    return bytes;
}
