#pragma once
// Packet buffers. Every frame that travels through a protocol stack is held
// in a `Packet`: a reference-counted handle to a 64 KiB body (`_Packet`)
// taken from one fixed pool of 1024 bodies. A body keeps room in front of
// and behind its payload, so each layer adds its header or trailer in place;
// handles share a body, and the first modifying access through a shared
// handle copies it (copy-on-write). No packet memory comes from the heap: an
// empty pool makes the operation that needed a body throw std::bad_alloc.
//
// Overstepping the room a caller reserved is a programming error: the
// assertions print a report of the packet to the log stream and terminate
// the process.
#include "runtime/base/ListAllocator.h"
#include "runtime/base/SmartPointer.h"

#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

// One packet body: the payload is [head, tail) inside data.
class _Packet {
public:
    static constexpr unsigned packet_max_size = 65536;

    // No payload; all of the body is head room.
    _Packet() : ref_count(0), head(data + packet_max_size), tail(head) {}
    // Same offsets as the source; only the payload bytes are copied.
    _Packet(_Packet const& source);
    _Packet& operator=(_Packet const&) = delete;

    unsigned _length() const { return static_cast<unsigned>(tail - head); }
    unsigned _headroom() const { return static_cast<unsigned>(head - data); }
    unsigned _tailroom() const { return static_cast<unsigned>(data + packet_max_size - tail); }
    // data <= head <= tail <= data + packet_max_size
    bool consistent() const;
    bool head_valid() const;
    bool tail_valid() const;

    uint32_t ref_count;
    unsigned char* head;
    unsigned char* tail;
    unsigned char data[packet_max_size];
};

using Packet_pool = List_allocator<_Packet, 1024, Dummy_critical_section>;

// The one pool of the process, built on first use and never torn down.
Packet_pool& packet_pool();

// A body taken from the pool and default-constructed; throws std::bad_alloc
// when the pool is empty.
_Packet* new_packet_body();

template <>
inline void Smart_pointer<_Packet>::dispose(_Packet* body)
{
    packet_pool().deallocate(body);
}

// A private copy of a shared body, from the pool (std::bad_alloc when empty).
_Packet* copy_packet_body(_Packet const& shared);

template <>
inline void Smart_pointer<_Packet>::prepare_for_modify()
{
    if (object_ && object_->ref_count > 1)
        *this = copy_packet_body(*object_);
}

class Packet {
public:
    Packet() = default;

    bool is_null() const { return body_.is_null(); }
    // Payload length; 0 for a null packet.
    unsigned length() const { return body_ ? body_.get()->_length() : 0; }
    unsigned headroom() const { return body_ ? body_.get()->_headroom() : 0; }
    unsigned tailroom() const { return body_ ? body_.get()->_tailroom() : 0; }

    // Room for headers: a null packet gets a body with n bytes of head room
    // and an empty payload; an existing one moves its (empty) payload n
    // bytes further back.
    void reserve_head(unsigned n);
    // Room for trailers, the mirror image of reserve_head.
    void reserve_tail(unsigned n);

    void put8(uint8_t v);
    void push8(uint8_t v);
    // The byte at the head; 0 when the payload is empty.
    uint8_t pull8();

    void put16(unsigned short v);     // little-endian
    void put16_b(unsigned short v);   // big-endian
    void push16_b(unsigned short v);  // payload then starts high byte, low byte
    unsigned short pull16_b();        // first byte high
    unsigned short pull16_l();        // first byte low

    // A length byte, then the bytes of s; a string longer than 255 bytes is
    // cut to its first 255, so the length byte always tells what follows.
    void put(std::string const& s);
    std::string pull_string();
    // Appends every payload byte of p.
    void put(Packet const& p);

    // A private copy whose payload is the len bytes at offset start of this
    // payload.
    Packet sub(unsigned len, unsigned start) const;

    // Bulk access for the layers that read from and write to sockets.
    // The payload, null for a null packet.
    unsigned char const* payload() const { return body_ ? body_.get()->head : nullptr; }
    // Where the next bytes of the payload go (after copy-on-write).
    unsigned char* tail_space();
    // Takes n bytes written at tail_space() into the payload.
    void advance_tail(unsigned n);
    // Copies n bytes to the tail.
    void append(unsigned char const* bytes, unsigned n);
    // Drops n bytes from the head.
    void drop_head(unsigned n);

    // "%02X" per byte, single blanks between; "(null)" or "(bad)".
    std::string text() const;
    // "head=H, data=L, tail=T"; false (nothing written) for a null packet.
    bool dump(std::ostream& os) const;
    // "dump:" and " %x" per byte; false for a null or inconsistent packet.
    bool dump_context(std::ostream& os) const;

    // Validates the body after the named step; fatal when it is broken.
    void check(char const* step) const
    {
        if (!body_ || !body_.get()->consistent())
            check_fail(step);
    }
    // Fatal assertion with a report of this packet.
    void passert(bool cond, char const* text) const
    {
        if (!cond)
            assertion_failed(text);
    }
    void passert(bool cond, std::string const& text) const
    {
        if (!cond)
            assertion_failed(text.c_str());
    }

private:
    friend class PacketInfo;
    // A body from the pool with an empty payload at offset.
    void attach_empty_body(unsigned offset);
    [[noreturn]] void check_fail(char const* step) const;
    [[noreturn]] void assertion_failed(char const* text) const;
    _Packet const& body() const { return *body_.get(); }
    // Modifying access to the body (copy-on-write).
    _Packet& modify() { return *body_; }

    Smart_pointer<_Packet> body_;
};

// Snapshot of a packet for the assertion report.
class PacketInfo {
public:
    explicit PacketInfo(Packet const& p);
    void put(std::ostream& os) const;

private:
    bool null_;
    bool consistent_;
    long headroom_;
    long length_;
    long tailroom_;
    std::vector<unsigned char> bytes_;
};
