#pragma once
// The peer-to-peer TPKT tap: like TPKTTracer a small TCP server speaking
// TPKT framing without the protocol layers, but its clients are addressed
// one by one by their IPv4 address and port, and its observer hears of
// every client that connects and closes as well as of every payload. The
// tracer owns its listener and its connections; the observer is not owned.
#include "runtime/link/TPKTTracerConnection.h"
#include "runtime/loop/Event.h"

#include <list>
#include <memory>

class TPKTTracerP2P {
public:
    class Notify {
    public:
        virtual ~Notify() = default;
        // fd is the descriptor the connection keeps, valid until OnClose.
        virtual void OnConnect(INet4::Addr const& peer, int fd) = 0;
        virtual void OnClose(INet4::Addr const& peer) = 0;
        virtual void OnMessage(INet4::Addr const& peer, void const* data, unsigned length) = 0;
    };

    using Connection = TPKTTracerConnection;
    static constexpr unsigned max_payload = 2048;

    TPKTTracerP2P();
    ~TPKTTracerP2P();
    TPKTTracerP2P(TPKTTracerP2P const&) = delete;
    TPKTTracerP2P& operator=(TPKTTracerP2P const&) = delete;

    void SetNotify(Notify* observer) { observer_ = observer; }

    // Listens on port (0: a port of the system's choice) on every local
    // address, replacing a listener held before; false when it cannot.
    bool Listen(unsigned short port);
    // The port listened on; 0 when none.
    unsigned port() const;
    // Sends one frame to the client at peer: the payload length, -EFAULT
    // when no client has that address, -EMSGSIZE for a payload no frame can
    // carry, otherwise the negative error number of a failed write (the
    // client is then closed).
    int Send(INet4::Addr const& peer, void const* data, unsigned length);
    // 0, or -EFAULT when no client has that address.
    int Close(INet4::Addr const& peer);
    bool IsConnected(INet4::Addr const& peer) const;
    unsigned connections() const { return static_cast<unsigned>(connections_.size()); }

    void OnEvent(int fd, short revents);
    void OnDataEvent(int fd, short revents);

private:
    using List = std::list<std::unique_ptr<Connection>>;

    List::iterator FindConnection(int fd);
    List::iterator FindConnection(INet4::Addr const& peer);
    List::const_iterator FindConnection(INet4::Addr const& peer) const;
    bool Alive(uint64_t serial) const;
    void Close(List::iterator at);

    Notify* observer_ = nullptr;
    Event listenEvent_;
    List connections_;
};
