#include "protocol/CtrlSrvService.h"

#include "protocol/CtrlSrvServer.h"

#include <iostream>

namespace CtrlSrv {

void Service::OnSignal(ZUZU::Signal const&) {}

bool Service::bound() const
{
    if (server_)
        return true;
    std::cerr << "CtrlSrv::Service error! service not connected to server." << std::endl;
    return false;
}

void Service::Success()
{
    if (bound())
        server_->Success();
}

void Service::Error(ZUZU::ErrorCause::NamedNumber cause)
{
    if (bound())
        server_->Error(cause);
}

void Service::SendSignal(ZUZU::Signal const& signal)
{
    if (!bound())
        return;
    server_->ShareSignal(this, signal);
    server_->SendSignal(signal);
}

void Service::SendSignal(unsigned slot, ZUZU::Signal const& signal)
{
    if (!bound())
        return;
    server_->ShareSignal(this, signal);
    server_->SendSignal(slot, signal);
}

int Service::GetSlot() const
{
    return bound() ? server_->GetSlot() : -1;
}

bool Service::IsSlotPresent() const
{
    return bound() && server_->IsSlotPresent();
}

DelayedAnswer Service::delayResponse()
{
    return bound() ? server_->delayResponse() : DelayedAnswer();
}

void Service::delayedSuccess(DelayedAnswer const& answer)
{
    if (bound())
        server_->delayedSuccess(answer);
}

void Service::delayedError(DelayedAnswer const& answer, ZUZU::ErrorCause::NamedNumber cause)
{
    if (bound())
        server_->delayedError(answer, cause);
}

bool Service::CheckServerConnection(bool& connected) const
{
    return server_ && server_->CheckServerConnection(connected);
}

} // namespace CtrlSrv
