#include "hardware/DtmfKeypad.h"

namespace Dtmf {

char const strRep[17] = "0123456789*#ABCD";
unsigned short const freq1[16] = {941, 697, 697, 697, 770, 770, 770, 852, 852, 852, 941, 941, 697, 770, 852, 941};
unsigned short const freq2[16] = {1336, 1209, 1336, 1477, 1209, 1336, 1477, 1209,
                                  1336, 1477, 1209, 1477, 1633, 1633, 1633, 1633};

namespace {

std::map<char, std::pair<unsigned short, unsigned short>> build()
{
    std::map<char, std::pair<unsigned short, unsigned short>> keys;
    for (unsigned i = 0; i < 16; ++i)
        keys[strRep[i]] = {freq1[i], freq2[i]};
    return keys;
}

std::map<char, std::pair<unsigned short, unsigned short>> const keys = build();

} // namespace

std::map<char, std::pair<unsigned short, unsigned short>> const& keypad()
{
    return keys;
}

} // namespace Dtmf
