#pragma once
// An IPv4 socket address (address and port), the value type for every peer
// the system names. It holds exactly the platform's sockaddr_in (family,
// port and address in network byte order, eight zero bytes), so it is handed
// to bind, connect, accept and sendto as it is, with size() as the length.
// Text form: dotted-decimal address, ':' and the decimal port.
#include <netinet/in.h>
#include <sys/socket.h>

#include <ostream>
#include <string>
#include <vector>

namespace INet4 {

class Addr {
public:
    // Starts as 0.0.0.0 port 0.
    Addr() { Reset(); }
    explicit Addr(sockaddr_in const& native) : sin_(native) {}

    // All bytes zero, family AF_INET: 0.0.0.0 port 0.
    void Reset();

    // Parses "a.b.c.d" or "a.b.c.d:port" (no host names). With a port, the
    // port field gets the number modulo 65536 and *port the whole number;
    // without one, the port field is kept and *port is -1. The result says
    // whether the address parsed; a failed address is left unchanged.
    bool Assign(char const* text, int* port);
    bool Assign(std::string const& text, int* port);
    // Stores an address that is already in network byte order.
    void Assign(unsigned long address);

    void SetPort(unsigned port);
    unsigned GetPort() const;

    // Address and port equal; the family is not compared.
    bool IsEqual(Addr const& other) const;

    // "a.b.c.d:port"; the stream is left in decimal mode.
    void Put(std::ostream& out) const;
    std::string GetString() const;
    // The four address bytes in network order.
    std::vector<char> GetVector() const;

    sockaddr* sa() { return reinterpret_cast<sockaddr*>(&sin_); }
    sockaddr const* sa() const { return reinterpret_cast<sockaddr const*>(&sin_); }
    static constexpr socklen_t size() { return sizeof(sockaddr_in); }
    sockaddr_in const& native() const { return sin_; }

private:
    unsigned char const* addressBytes() const { return reinterpret_cast<unsigned char const*>(&sin_.sin_addr); }

    sockaddr_in sin_;
};

inline std::ostream& operator<<(std::ostream& out, Addr const& a)
{
    a.Put(out);
    return out;
}

} // namespace INet4
