#pragma once
// The control server: the gateway's end of the control link, one global
// object `ctrlServer`. Each TPKT frame from the controller carries one
// ZUZU::Message in PER aligned; the server decodes it, offers a command to
// the bound services in bind order and sees that the command gets exactly
// one fitting answer, echoing the command's sequence and slot numbers:
// a success only while nothing was answered, an error unless an error was
// already sent, `internal` when the owner forgot to answer, and
// `unexpectedMsgType` when nobody owns it or it is not a command at all.
// Signals of the services go out through it too.
//
// The server owns the connection object handed to Activate and is its
// receiver; it keeps the services by pointer and never owns them. Services
// are bound once at start-up and never unbound.
#include "protocol/CtrlSrvService.h"
#include "runtime/link/ControlService.h"
// Before the global below, so that the main loop outlives its timer.
#include "runtime/loop/Multiplexer.h"
#include "runtime/loop/Timer.h"
#include "runtime/packet/TpktProtocol.h"

#include <cstddef>
#include <iosfwd>
#include <memory>
#include <vector>

namespace CtrlSrv {

class Server : public Control::Notify {
public:
    // The longest encoded message one TPKT frame carries.
    static constexpr std::size_t maxMessageLength = Tpkt_protocol::max_payload;

    Server();
    // Deactivates and forgets the services.
    ~Server() override;
    Server(Server const&) = delete;
    Server& operator=(Server const&) = delete;

    void Bind(Service* service);
    // Takes ownership of connection, names it "server", becomes its
    // receiver and starts it; the result is the connection's Activate.
    bool Activate(Control::Service* connection);
    // Stops and destroys the connection object; every service is told of
    // the disconnect, also when no controller was connected. Not from
    // inside a command or OnConnect: the connection is running then.
    void Deactivate();

    void Success();
    void Error(ZUZU::ErrorCause::NamedNumber cause);
    void SendSignal(ZUZU::Signal const& signal);
    void SendSignal(unsigned slot, ZUZU::Signal const& signal);
    // Hands the signal to OnSignal of every bound service but the sender.
    void ShareSignal(Service const* sender, ZUZU::Signal const& signal);
    int GetSlot() const;
    bool IsSlotPresent() const;
    DelayedAnswer delayResponse();
    void delayedSuccess(DelayedAnswer const& answer);
    void delayedError(DelayedAnswer const& answer, ZUZU::ErrorCause::NamedNumber cause);

    // Drops the controller's connection; the loss is reported as usual.
    void OnHeartbeatTimeout();
    // False without a connection object; else connected tells whether a
    // controller is on the link.
    bool CheckServerConnection(bool& connected) const;

    // "ctrl [" + peer + "]: ", "ctrl [not connected]: " or "ctrl [null]: ".
    void PutHeader(std::ostream& out) const;

    void OnConnect() override;
    void OnDisconnect() override;
    void OnMessage(char const* data, int len) override;

private:
    static constexpr unsigned noSlot = ~0u;
    enum AckState { nothingSent = 0, successSent = 1, errorSent = 2 };

    void Dispatch(ZUZU::Message const& message);
    void Answer(bool hasSeq, int seq, unsigned slot, ZUZU::Response* response);
    void SendMsg(ZUZU::Message& message);
    void OnUpdateAvgStat();
    bool connected() const;

    std::vector<Service*> services_;
    std::unique_ptr<Control::Service> connection_;
    bool hasSeq_ = false;
    int seq_ = 0;
    unsigned slot_ = noSlot;
    AckState ack_ = nothingSent;
    Timer avgStatTimer_;
};

} // namespace CtrlSrv

extern CtrlSrv::Server ctrlServer;
