#include "runtime/link/ControlService.h"

#include "runtime/base/Profile.h"
#include "runtime/loop/Event.h"
#include "runtime/packet/StrmProtocol.h"
#include "runtime/packet/TpktProtocol.h"

#include <cerrno>
#include <cstring>
#include <iostream>
#include <poll.h>
#include <sys/socket.h>

namespace Control {

char const* GetTextNotation(Service::State::Type state)
{
    switch (state) {
    case Service::State::Idle: return "Idle";
    case Service::State::Connecting: return "Connecting";
    case Service::State::Deactivating: return "Deactivating";
    case Service::State::Connected: return "Connected";
    }
    return "Unknown";
}

Service::Service() : stream_(new StrmProtocol)
{
    add_protocol_tail(stream_);
    add_protocol_tail(new Tpkt_protocol);
    deactivateDpc_.Bind(this, &Service::OnDeactivateDPC);
}

Service::~Service() { deactivateDpc_.Deactivate(); }

std::string const& Service::service_name() const { return stream_->service_name(); }
void Service::service_name(std::string const& name) { stream_->service_name(name); }

bool Service::Activate()
{
    Deactivate();
    state_ = State::Connecting;
    bool const started = ImplActivate();
    if (!started)
        state_ = State::Idle;
    return started;
}

void Service::Deactivate()
{
    ImplDeactivate();
    state_ = State::Idle;
}

void Service::Disconnect()
{
    if (state_ == State::Deactivating)
        return;
    // A deactivated link without a connection has nothing to drop; running
    // the loss sequence would bring it back to Connecting.
    if (state_ == State::Idle && !stream_->attached())
        return;
    deactivate();
}

void Service::Send(char const* data, int len)
{
    if (state_ == State::Deactivating)
        return;
    if (state_ != State::Connected) {
        if (verbose_)
            std::cerr << "Control::Service::Send() ignore Send request in " << GetTextNotation(state_) << " state."
                      << std::endl;
        return;
    }
    if (len < 0 || static_cast<unsigned>(len) > Tpkt_protocol::max_payload) {
        if (verbose_)
            std::cerr << "Control::Service::Send() ignore Send request of " << len << " bytes: more than one frame."
                      << std::endl;
        return;
    }
    static Profile::Point prepare("Control::Service::Send [1]");
    static Profile::Point pass("Control::Service::Send [2]");
    prepare.begin();
    Packet packet;
    prepare_head(packet);
    if (len > 0)
        packet.append(reinterpret_cast<unsigned char const*>(data), static_cast<unsigned>(len));
    prepare.end();
    pass.begin();
    message(packet);
    pass.end();
}

void Service::Release() { stream_->release(); }

unsigned Service::GetOverflowCounter() const { return stream_->overflow_counter(); }
Measure const& Service::get_read_measure() const { return stream_->read_measure(); }
Measure const& Service::get_write_measure() const { return stream_->write_measure(); }

void Service::Established(Fd socket, std::string const& peerName)
{
    if (state_ == State::Deactivating)
        return;
    peerName_ = peerName;
    state_ = State::Connected;
    stream_->attach(std::move(socket));
    activate();
    // Activation fails at once when the socket is not valid; that loss is
    // reported instead.
    if (notify_ && state_ == State::Connected)
        notify_->OnConnect();
}

void Service::on_message(Packet& packet)
{
    if (state_ == State::Deactivating || !notify_)
        return;
    notify_->OnMessage(reinterpret_cast<char const*>(packet.payload()), static_cast<int>(packet.length()));
}

void Service::on_activated(Protocol*) {}

void Service::on_deactivated(Protocol*, Protocol_status)
{
    if (verbose_)
        std::cerr << "control connection " << peerName_ << " closed." << std::endl;
    if (state_ != State::Deactivating)
        lossWhileIdle_ = state_ == State::Idle;
    state_ = State::Deactivating;
    ImplConnectionLost();
    deactivateDpc_.Activate();
}

void Service::OnDeactivateDPC()
{
    deactivateDpc_.Deactivate();
    // An owner that activated or deactivated the link since the loss has
    // already decided what it does next.
    if (state_ == State::Deactivating) {
        if (lossWhileIdle_) {
            state_ = State::Idle;
        } else {
            state_ = State::Connecting;
            ImplOnDisconnect();
        }
    }
    if (notify_)
        notify_->OnDisconnect();
}

void Service::StartListening(Fd const& listener, Event& event)
{
    if (listen(listener.get(), 1) < 0) {
        if (verbose())
            std::cerr << "can't listen socket: " << std::strerror(errno) << std::endl;
        Deactivate();
        return;
    }
    if (!listener.NonBlock()) {
        if (verbose())
            std::cerr << "can't set socket to non block mode: " << std::strerror(errno) << std::endl;
        Deactivate();
        return;
    }
    event.Schedule(listener, POLLIN);
}

} // namespace Control
