#pragma once
// A small TCP server that speaks TPKT framing without the protocol layers,
// as a trace and test tap: it accepts any number of clients, hands the
// payload of every frame any of them sends to one observer, and sends
// frames to all clients, or only to the client whose frame the observer is
// handling. A client that breaks the framing is closed; the others go on.
// The tracer owns its listener and its connections; the observer is not
// owned.
#include "runtime/link/TPKTTracerConnection.h"
#include "runtime/loop/Event.h"

#include <list>
#include <memory>

class TPKTTracer {
public:
    class Notify {
    public:
        virtual ~Notify() = default;
        virtual void OnMessage(void const* data, unsigned length) = 0;
    };

    using Connection = TPKTTracerConnection;
    static constexpr unsigned max_payload = 512;

    TPKTTracer();
    ~TPKTTracer();
    TPKTTracer(TPKTTracer const&) = delete;
    TPKTTracer& operator=(TPKTTracer const&) = delete;

    void SetNotify(Notify* observer) { observer_ = observer; }

    // Listens on port (0: a port of the system's choice) on every local
    // address, replacing a listener held before; false when it cannot.
    bool Listen(unsigned short port);
    // The port listened on; 0 when none.
    unsigned port() const;
    // Sends one frame: from inside OnMessage to the client that sent the
    // frame, otherwise to every client. A client that cannot take the whole
    // frame is closed. False (nothing sent) for a payload no frame can carry.
    bool Send(void const* data, unsigned length);
    unsigned connections() const { return static_cast<unsigned>(connections_.size()); }

    void OnEvent(int fd, short revents);
    void OnDataEvent(int fd, short revents);

private:
    using List = std::list<std::unique_ptr<Connection>>;

    List::iterator FindConnection(int fd);
    List::iterator FindConnection(uint64_t serial);
    void Close(List::iterator at);

    Notify* observer_ = nullptr;
    Event listenEvent_;
    List connections_;
    // The connection whose frame is being delivered; null when none.
    Connection* current_ = nullptr;
    bool delivering_ = false;
};
