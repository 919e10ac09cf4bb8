#pragma once
// A message connection: carries discrete messages between this process and
// one peer over one stream socket, each message one TPKT frame, and reports
// connection, loss and every received message to its bound Control::Notify.
// The connection owns its inner stack (stream-socket layer on the wire side,
// TPKT above it) and runs the link's state machine; how the socket is
// obtained (listening, connecting, retrying) is left to the variants, which
// implement the Impl* operations. The component that uses a connection owns
// it; the receiver is not owned.
//
// Calling order of an owner: construct, service_name(...), Bind(owner),
// Activate(); at the end Deactivate(), UnBind(), destroy.
#include "runtime/link/ControlNotify.h"
#include "runtime/loop/Dpc.h"
#include "runtime/base/Fd.h"
#include "runtime/base/Measure.h"
#include "runtime/packet/ProtocolsList.h"

#include <cstdint>
#include <string>

class StrmProtocol;
class Event;

namespace Control {

class Service : private ProtocolsFamily {
public:
    struct State {
        enum Type : int32_t { Idle = 0, Connecting = 1, Deactivating = 2, Connected = 3 };
    };

    Service();
    ~Service() override;

    // Messages and reports that arrive while no receiver is bound are
    // dropped.
    void Bind(Notify* notify) { notify_ = notify; }
    void UnBind() { notify_ = nullptr; }

    // The name the stream layer uses in its log lines.
    std::string const& service_name() const;
    void service_name(std::string const& name);

    // Starts over: deactivates, then lets the variant start obtaining a
    // connection. False (and Idle) when nothing could be started; a variant
    // that hits a fatal failure deactivates itself and still returns true.
    bool Activate();
    // Stops the variant; an established connection stays attached and keeps
    // delivering until it goes down, but nothing can be sent.
    void Deactivate();
    // Drops the current connection; the loss is reported on the next pass.
    // Does nothing while a loss is being handled, nor on an Idle link that
    // holds no connection.
    void Disconnect();
    // Sends one message as one frame while Connected; otherwise drops it.
    void Send(char const* data, int len);
    // Closes the connection's socket without reporting anything.
    void Release();

    State::Type state() const { return state_; }
    // The peer of the current or last connection; empty before the first.
    std::string const& peerName() const { return peerName_; }
    bool verbose() const { return verbose_; }

    unsigned GetOverflowCounter() const;
    Measure const& get_read_measure() const;
    Measure const& get_write_measure() const;

protected:
    // Starts obtaining a connection; false when nothing could be started.
    virtual bool ImplActivate() = 0;
    // Stops everything the variant runs (listener, connecting socket,
    // timers).
    virtual void ImplDeactivate() = 0;
    // The variant's reaction after a lost connection, run on the pass after
    // the loss with the link back in Connecting.
    virtual void ImplOnDisconnect() = 0;
    // The connection went down (at the moment it did); for variants that
    // hold resources of the connection themselves.
    virtual void ImplConnectionLost() {}

    void set_verbose(bool verbose) { verbose_ = verbose; }
    // Attaches an established connection: Connected, stack up, OnConnect.
    void Established(Fd socket, std::string const& peerName);
    // The acceptors' last step: a bound socket starts listening, becomes
    // non-blocking and is watched by `event`; on failure the reason is
    // logged (when verbose) and the service deactivated.
    void StartListening(Fd const& listener, Event& event);

private:
    void on_message(Packet& packet) override;
    void on_activated(Protocol* p) override;
    void on_deactivated(Protocol* p, Protocol_status status) override;
    void OnDeactivateDPC();

    std::string peerName_;
    bool verbose_ = true;
    State::Type state_ = State::Idle;
    Notify* notify_ = nullptr;
    StrmProtocol* stream_;
    Dpc deactivateDpc_;
    // The loss being reported hit a link that was already deactivated, so
    // the link goes back to Idle rather than Connecting.
    bool lossWhileIdle_ = false;
};

// "Idle", "Connecting", "Deactivating", "Connected"; "Unknown" otherwise.
char const* GetTextNotation(Service::State::Type state);

} // namespace Control
