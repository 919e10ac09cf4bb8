#ifndef FUZZ_TPKT_FUZZ_CHECK_H
#define FUZZ_TPKT_FUZZ_CHECK_H

// The property the TPKT fuzzer checks, shared with the corpus replay test.
// The input describes a byte stream and how the socket cuts it into reads:
//
//   n, then n read sizes (octet b gives 1 + b * b bytes, used in turn for
//   the first 4096 reads; no sizes, and after those: reads of 65536 bytes),
//   then pieces up to the end of the input:
//     0x00..0x7F  a payload of that many octets, the next ones of the input
//                 (as far as it goes; zeros after that)
//     0x80..0xBF  1 to 64 octets of the input put into the stream unframed
//     0xC0..0xFF  a payload whose length is the next two octets (big-endian,
//                 at most 65532), of a fixed pattern
//
// Payloads are framed by a sending TPKT layer, the stream is fed to a
// receiving one read by read, and the same stream is fed to a third layer in
// reads of 65536 bytes. Both receivers must hand up the same payloads with
// the same log, no payload longer than a frame can carry, and leave every
// packet body they took back in the pool. When the stream holds no unframed
// octets, what comes up must be exactly the payloads the sender framed (a
// payload too long for a frame is refused by the sender and never sent),
// with nothing logged and no frame left partial.
#include <cstddef>
#include <cstdint>
#include <string>

namespace TpktFuzz {

enum class Outcome {
    Delivered, // the property holds
    Mismatch,  // it does not: a fault
};

Outcome checkInput(std::uint8_t const* data, std::size_t size, std::string& report);

} // namespace TpktFuzz

#endif
