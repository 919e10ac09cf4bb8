#include "runtime/packet/Packet.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <exception>
#include <iomanip>
#include <iostream>
#include <new>
#include <sstream>

namespace {

bool within(unsigned char const* p, unsigned char const* first, unsigned char const* last)
{
    auto at = reinterpret_cast<uintptr_t>(p);
    return at >= reinterpret_cast<uintptr_t>(first) && at <= reinterpret_cast<uintptr_t>(last);
}

} // namespace

_Packet::_Packet(_Packet const& source)
    : ref_count(0), head(data + source._headroom()), tail(head + source._length())
{
    std::memcpy(head, source.head, source._length());
}

bool _Packet::head_valid() const { return within(head, data, data + packet_max_size); }
bool _Packet::tail_valid() const { return within(tail, data, data + packet_max_size); }

bool _Packet::consistent() const
{
    return head_valid() && tail_valid() && reinterpret_cast<uintptr_t>(head) <= reinterpret_cast<uintptr_t>(tail);
}

Packet_pool& packet_pool()
{
    static Packet_pool pool;
    return pool;
}

_Packet* new_packet_body()
{
    _Packet* body = packet_pool().allocate();
    if (!body)
        throw std::bad_alloc();
    return new (body) _Packet;
}

_Packet* copy_packet_body(_Packet const& shared)
{
    _Packet* body = packet_pool().allocate();
    if (!body)
        throw std::bad_alloc();
    return new (body) _Packet(shared);
}

void Packet::attach_empty_body(unsigned offset)
{
    body_ = new_packet_body();
    passert(!is_null(), "allocation fail");
    _Packet& b = modify();
    b.head = b.tail = b.data + offset;
}

void Packet::reserve_head(unsigned n)
{
    passert(n <= _Packet::packet_max_size, "length>packet_max_size");
    if (is_null()) {
        attach_empty_body(n);
        return;
    }
    // Head and tail both move toward the end of the body: the tail needs
    // the room.
    passert(n <= body()._tailroom(), "new_len>packet_max_size");
    _Packet& b = modify();
    b.head += n;
    b.tail += n;
}

void Packet::reserve_tail(unsigned n)
{
    passert(n <= _Packet::packet_max_size, "len>packet_max_size");
    if (is_null()) {
        attach_empty_body(_Packet::packet_max_size - n);
        return;
    }
    // Head and tail both move toward the start of the body: the head needs
    // the room.
    passert(n <= body()._headroom(), "_tailroom()+len <= packet_max_size");
    _Packet& b = modify();
    b.head -= n;
    b.tail -= n;
}

void Packet::put8(uint8_t v)
{
    passert(!is_null(), "null packet");
    passert(body()._tailroom() >= 1, "len<=_tailroom()");
    _Packet& b = modify();
    ++b.tail;
    check("put");
    b.tail[-1] = v;
}

void Packet::push8(uint8_t v)
{
    passert(!is_null(), "null packet");
    passert(body()._headroom() >= 1, "len<=_headroom()");
    _Packet& b = modify();
    --b.head;
    check("push");
    *b.head = v;
}

uint8_t Packet::pull8()
{
    passert(!is_null(), "null packet");
    if (body()._length() == 0)
        return 0;
    _Packet& b = modify();
    return *b.head++;
}

void Packet::put16(unsigned short v)
{
    put8(static_cast<uint8_t>(v & 0xFF));
    put8(static_cast<uint8_t>(v >> 8));
}

void Packet::put16_b(unsigned short v)
{
    put8(static_cast<uint8_t>(v >> 8));
    put8(static_cast<uint8_t>(v & 0xFF));
}

void Packet::push16_b(unsigned short v)
{
    push8(static_cast<uint8_t>(v & 0xFF));
    push8(static_cast<uint8_t>(v >> 8));
}

unsigned short Packet::pull16_b()
{
    unsigned high = pull8();
    unsigned low = pull8();
    return static_cast<unsigned short>((high << 8) | low);
}

unsigned short Packet::pull16_l()
{
    unsigned low = pull8();
    unsigned high = pull8();
    return static_cast<unsigned short>((high << 8) | low);
}

void Packet::put(std::string const& s)
{
    passert(!is_null(), "null packet");
    std::size_t n = std::min<std::size_t>(s.size(), 0xFF);
    put8(static_cast<uint8_t>(n));
    for (std::size_t i = 0; i < n; ++i)
        put8(static_cast<uint8_t>(s[i]));
}

std::string Packet::pull_string()
{
    passert(!is_null(), "null packet");
    std::string s;
    s.resize(pull8());
    for (char& c : s)
        c = static_cast<char>(pull8());
    return s;
}

void Packet::put(Packet const& p)
{
    // The length is taken once, so a packet appended to itself doubles.
    unsigned n = p.length();
    for (unsigned i = 0; i < n; ++i) {
        p.passert(!p.is_null(), "null packet");
        p.passert(i < p.length(), "index out of range");
        put8(p.body().head[i]);
    }
}

Packet Packet::sub(unsigned len, unsigned start) const
{
    passert(!is_null(), "null packet");
    passert(start <= length(), "start<=_length()");
    passert(len <= length() - start, "start+len<=_length()");
    Packet result(*this);
    _Packet& b = result.modify();
    b.head += start;
    b.tail = b.head + len;
    return result;
}

unsigned char* Packet::tail_space()
{
    passert(!is_null(), "null packet");
    return modify().tail;
}

void Packet::advance_tail(unsigned n)
{
    passert(!is_null(), "null packet");
    passert(n <= body()._tailroom(), "len<=_tailroom()");
    modify().tail += n;
    check("put");
}

void Packet::append(unsigned char const* bytes, unsigned n)
{
    passert(!is_null(), "null packet");
    passert(n <= body()._tailroom(), "len<=_tailroom()");
    _Packet& b = modify();
    if (n != 0)
        std::memcpy(b.tail, bytes, n);
    b.tail += n;
    check("put");
}

void Packet::drop_head(unsigned n)
{
    passert(!is_null(), "null packet");
    passert(n <= body()._length(), "len<=_length()");
    modify().head += n;
}

std::string Packet::text() const
{
    if (is_null())
        return "(null)";
    if (!body().consistent())
        return "(bad)";
    static char const digits[] = "0123456789ABCDEF";
    std::string s;
    s.reserve(length() * 3);
    for (unsigned char const* at = body().head; at != body().tail; ++at) {
        if (!s.empty())
            s += ' ';
        s += digits[*at >> 4];
        s += digits[*at & 0xF];
    }
    return s;
}

bool Packet::dump(std::ostream& os) const
{
    if (is_null())
        return false;
    os << "head=" << headroom() << ", " << "data=" << length() << ", " << "tail=" << tailroom();
    return true;
}

bool Packet::dump_context(std::ostream& os) const
{
    if (is_null() || !body().consistent())
        return false;
    if (length() == 0)
        return true;
    std::ios::fmtflags flags = os.flags();
    os << "dump:" << std::hex;
    for (unsigned char const* at = body().head; at != body().tail; ++at)
        os << ' ' << unsigned(*at);
    os.flags(flags);
    return true;
}

void Packet::check_fail(char const* step) const
{
    char message[256];
    if (is_null())
        std::snprintf(message, sizeof message, "after \"%s\" packet is null", step);
    else if (!body().head_valid())
        std::snprintf(message, sizeof message, "after \"%s\" fdata invalid", step);
    else if (!body().tail_valid())
        std::snprintf(message, sizeof message, "after \"%s\" ftail invalid", step);
    else
        std::snprintf(message, sizeof message, "after \"%s\" fdata>ftail", step);
    std::clog << "packet check fail" << std::endl << message << std::endl << "terminate." << std::endl;
    std::terminate();
}

void Packet::assertion_failed(char const* text) const
{
    std::clog << "PACKET ASSERTION FAILED!" << std::endl << text << std::endl;
    PacketInfo(*this).put(std::clog);
    std::clog << std::endl;
    std::terminate();
}

PacketInfo::PacketInfo(Packet const& p)
    : null_(p.is_null()), consistent_(false), headroom_(0), length_(0), tailroom_(0)
{
    if (null_)
        return;
    _Packet const& b = p.body();
    // Differences of the raw addresses, so broken pointers still give figures.
    auto data = reinterpret_cast<uintptr_t>(b.data);
    auto head = reinterpret_cast<uintptr_t>(b.head);
    auto tail = reinterpret_cast<uintptr_t>(b.tail);
    headroom_ = static_cast<long>(head - data);
    length_ = static_cast<long>(tail - head);
    tailroom_ = static_cast<long>(data + _Packet::packet_max_size - tail);
    consistent_ = b.consistent();
    if (consistent_)
        bytes_.assign(b.head, b.tail);
}

void PacketInfo::put(std::ostream& os) const
{
    if (null_) {
        os << "(null)" << std::endl;
        return;
    }
    os << "head=" << headroom_ << ", " << "data=" << length_ << ", " << "tail=" << tailroom_ << std::endl;
    if (!consistent_) {
        os << "can't dump packet: wrong pointers" << std::endl;
        return;
    }
    if (bytes_.empty())
        return;
    std::ios::fmtflags flags = os.flags();
    os << "dump:" << std::endl << std::hex;
    for (unsigned char byte : bytes_)
        os << ' ' << unsigned(byte);
    os.flags(flags);
    os << std::endl;
}
