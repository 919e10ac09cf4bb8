// Writes the message set of the PER comparison benchmark to stdout: COUNT
// (default 2000) random ZUZU::Message values from a fixed seed, within the
// part that Erlang/OTP's per codec codes alike, one line of hexadecimal PER
// ALIGNED octets each. Run once; its output is kept in bench/data so that
// both sides of every later run time the same octets:
//   zuzu_bench_messages [COUNT] > bench/data/zuzu_messages.hex
#include "ZuzuRandom.h"

#include "protocol/schemas/ZUZU.h"

#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <vector>

int main(int argc, char** argv)
{
    int const count = argc > 1 ? std::atoi(argv[1]) : 2000;
    Interop::ZuzuWeights weights;
    if (!Interop::readZuzuWeights(ZUZU_INTEROP_DIRECTORY, weights)) {
        std::fprintf(stderr, "cannot read %s/ZuzuInterop.weights\n", ZUZU_INTEROP_DIRECTORY);
        return 1;
    }
    std::mt19937 random(20261207);
    ASN1::CoderEnv env(ASN1::CoderEnv::per_Aligned);
    for (int i = 0; i < count; ++i) {
        ZUZU::Message message;
        Interop::fillZuzuRandom(message, random, weights);
        std::vector<char> octets;
        if (!env.encode(message, std::back_inserter(octets))) {
            std::fprintf(stderr, "message %d does not encode\n", i);
            return 1;
        }
        for (char c : octets)
            std::printf("%02X", static_cast<unsigned char>(c));
        std::printf("\n");
    }
    return 0;
}
