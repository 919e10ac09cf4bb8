#pragma once
// The DTMF keypad: each key with its pair of frequencies in Hz (low group,
// high group), as the telephone network defines them.
#include <map>
#include <utility>

namespace Dtmf {

// "0123456789*#ABCD"; freq1[i] and freq2[i] are the pair of strRep[i].
extern char const strRep[17];
extern unsigned short const freq1[16];
extern unsigned short const freq2[16];

// Key -> {freq1, freq2}.
std::map<char, std::pair<unsigned short, unsigned short>> const& keypad();

} // namespace Dtmf
