#pragma once
// One client of a TPKT tracer: the watch on its socket and the frame being
// read, header and payload each read to the start of a fixed buffer. The
// tracer owns its connections; a connection owns its socket (through its
// watch). Also the socket steps the two tracers share: the listener, the
// accepted client and the framed send.
#include "runtime/base/Fd.h"
#include "runtime/link/INet4Addr.h"
#include "runtime/loop/Event.h"

#include <cstdint>
#include <iostream>
#include <memory>
#include <vector>

class TPKTTracerConnection {
public:
    enum class Read {
        Wait,     // nothing more to read now
        Message,  // a payload is complete: payload(), length()
        Close,    // end of stream, socket error or a frame that is not TPKT
    };

    // The largest payload a frame can carry (16-bit length with the header).
    static constexpr unsigned max_frame_payload = 0xFFFF - 4;

    // Watches socket (a duplicate of it) for input; payloads up to
    // buffer_size bytes are accepted.
    TPKTTracerConnection(Fd const& socket, unsigned buffer_size, INet4::Addr const& peer);

    Event& event() { return event_; }
    // The descriptor the connection keeps.
    int fd() const { return event_.fd().get(); }
    INet4::Addr const& peer() const { return peer_; }
    // Tells connections apart over their lifetimes; never reused.
    uint64_t serial() const { return serial_; }

    // Reads until a payload is complete, the socket has nothing more, or the
    // client must be closed. An empty frame is skipped.
    Read ReadSome();
    unsigned char const* payload() const { return buffer_.data(); }
    unsigned length() const { return length_; }

    // Sends one frame with one call, never waiting and never raising
    // SIGPIPE: the payload length when the whole frame went out; -EMSGSIZE
    // (nothing sent) for a payload over max_frame_payload; otherwise the
    // negative error number, -EAGAIN for a frame the socket took only part
    // of. Every failure but -EMSGSIZE leaves the client to be closed.
    int Send(void const* data, unsigned length);

    // A listening socket on every local address and port (backlog 1,
    // non-blocking, SO_REUSEADDR); empty when a step fails.
    static Fd Listen(unsigned short port);
    // The port a listening socket is bound to; 0 when none.
    static unsigned BoundPort(Fd const& listener);
    // The next pending client (close-on-exec) and its address; empty when
    // none was taken, with more false once nothing is pending.
    static Fd Accept(Fd const& listener, INet4::Addr& peer, bool& more);

    // Listens on port and schedules the watch for its clients; false when
    // a step fails.
    static bool ListenWith(Event& listening, unsigned short port);
    // Takes every pending client of the listening watch: logs "<who>
    // connection open from <peer>", makes the socket non-blocking and hands
    // take a new connection for it, one client at a time.
    template <class Take>
    static void AcceptPending(Event const& listening, unsigned buffer_size, char const* who, Take take)
    {
        for (bool more = true; more;) {
            INet4::Addr peer;
            Fd client = Accept(listening.fd(), peer, more);
            if (!client)
                continue;
            std::clog << who << " connection open from " << peer << std::endl;
            if (!client.NonBlock())
                continue;
            take(std::make_unique<TPKTTracerConnection>(client, buffer_size, peer));
        }
    }

private:
    bool header_ = true;
    unsigned expected_ = 4;
    unsigned received_ = 0;
    unsigned length_ = 0;
    Event event_;
    std::vector<unsigned char> buffer_;
    INet4::Addr peer_;
    uint64_t serial_;
};
