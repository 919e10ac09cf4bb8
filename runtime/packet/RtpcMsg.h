#pragma once
// An RTCP control packet (RFC 3550) of one sender, built as a small message
// object by an RTP slot and written into the buffer it sends on its RTCP
// socket. Each kind supplies its packet type, the 5-bit count of the header
// and its body; `encode` writes the common header around that body. Messages
// are plain values owned by the code that builds them.
#include <cstdint>

namespace RTPC {

class Msg {
public:
    explicit Msg(std::uint32_t ssrc) : ssrc_(ssrc) {}
    virtual ~Msg() = default;

    // The RTCP packet type of the header.
    virtual unsigned pt() const = 0;
    // The value of the header's 5-bit count field.
    virtual unsigned count() const = 0;
    // Writes the SSRC and the kind's body, padded to a multiple of 4 bytes,
    // into at most size bytes (a partial last word of room is not used);
    // returns the bytes written, 0 when the body does not fit at all.
    virtual int encode_body(char* buffer, unsigned size) const = 0;

    // Writes the whole packet into at most size bytes and returns its
    // length, a multiple of 4; returns 0 and writes nothing when the packet
    // does not fit (below 8 bytes, or below what the kind needs).
    int encode(char* buffer, unsigned size) const;

    std::uint32_t ssrc() const { return ssrc_; }

protected:
    Msg(Msg const&) = default;
    Msg& operator=(Msg const&) = default;

    // The longest text of an item or reason: its length is one byte.
    static constexpr unsigned max_text = 255;

    // Helpers of the kinds. The room is rounded down to whole 32-bit words;
    // when at least `least` bytes remain, the SSRC is written in network
    // order and true returned.
    bool begin_body(char* buffer, unsigned& size, unsigned least) const;
    // Zero bytes from length up to a multiple of 4; returns the new length.
    static unsigned pad(char* buffer, unsigned length);

private:
    std::uint32_t ssrc_;
};

} // namespace RTPC
