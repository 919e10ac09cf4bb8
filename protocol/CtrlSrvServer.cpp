#include "protocol/CtrlSrvServer.h"

#include "protocol/asn1/notation/ValueNotation.h"
#include "runtime/text/ExtBufInHex.h"
#include "runtime/text/ExtHeader.h"

#include <iostream>
#include <iterator>

CtrlSrv::Server ctrlServer;

namespace CtrlSrv {

namespace {

std::unique_ptr<ZUZU::Response> successResponse()
{
    std::unique_ptr<ZUZU::Response> response(new ZUZU::Response);
    response->select(ZUZU::Response::success);
    return response;
}

std::unique_ptr<ZUZU::Response> errorResponse(ZUZU::ErrorCause::NamedNumber cause)
{
    std::unique_ptr<ZUZU::Response> response(new ZUZU::Response);
    response->setSelection(ZUZU::Response::error, new ZUZU::ErrorCause(cause));
    return response;
}

} // namespace

Server::Server() = default;

Server::~Server()
{
    Deactivate();
    avgStatTimer_.reset();
    services_.clear();
}

void Server::Bind(Service* service)
{
    services_.push_back(service);
    service->server_ = this;
}

bool Server::Activate(Control::Service* connection)
{
    Deactivate();
    connection_.reset(connection);
    connection_->service_name("server");
    connection_->Bind(this);
    return connection_->Activate();
}

void Server::Deactivate()
{
    if (!connection_)
        return;
    connection_->Deactivate();
    OnDisconnect();
    connection_->UnBind();
    connection_.reset();
}

bool Server::connected() const
{
    return connection_ && connection_->state() == Control::Service::State::Connected;
}

void Server::PutHeader(std::ostream& out) const
{
    if (!connection_)
        out << "ctrl [null]: ";
    else if (connected())
        out << "ctrl [" << connection_->peerName() << "]: ";
    else
        out << "ctrl [not connected]: ";
}

void Server::OnConnect()
{
    std::clog << ext::header(this) << "controller connect." << std::endl;
    for (std::size_t i = 0; i < services_.size(); ++i)
        services_[i]->OnConnect();
    avgStatTimer_.set(5000, &Server::OnUpdateAvgStat, this);
}

void Server::OnDisconnect()
{
    for (std::size_t i = 0; i < services_.size(); ++i)
        services_[i]->OnDisconnect();
    avgStatTimer_.reset();
}

// A hook for average statistics; nothing is kept yet.
void Server::OnUpdateAvgStat() {}

void Server::OnMessage(char const* data, int len)
{
    std::size_t length = len > 0 ? static_cast<std::size_t>(len) : 0;
    ASN1::CoderEnv env(ASN1::CoderEnv::per_Aligned);
    ZUZU::Message message;
    if (ASN1::decode(data, data + length, &env, message, true)) {
        Dispatch(message);
    } else {
        std::cerr << ext::header(this) << "receive fail: decode error!" << std::endl;
        std::cerr << " msg: " << ext::OutBufInHex(data, length) << std::endl;
    }
    slot_ = noSlot;
}

void Server::Dispatch(ZUZU::Message const& message)
{
    ack_ = nothingSent;
    hasSeq_ = message.hasOptionalField(ZUZU::Message::e_seq);
    if (hasSeq_)
        seq_ = message.get_seq().getValue();

    ZUZU::PDU const& pdu = message.get_pdu();
    if (pdu.getSelection() != ZUZU::PDU::command || !pdu.getValue()) {
        Error(ZUZU::ErrorCause::unexpectedMsgType);
        return;
    }
    if (message.hasOptionalField(ZUZU::Message::e_slot)) {
        slot_ = static_cast<unsigned>(message.get_slot().getValue());
        if (slot_ > 1023) {
            slot_ = noSlot;
            Error(ZUZU::ErrorCause::invalidSlot);
            return;
        }
    } else {
        slot_ = noSlot;
    }

    auto const& command = *boost::polymorphic_downcast<ZUZU::Command const*>(pdu.getValue());
    bool taken = false;
    for (std::size_t i = 0; i < services_.size() && !taken; ++i)
        taken = services_[i]->OnCommand(command);
    if (!taken) {
        Error(ZUZU::ErrorCause::unexpectedMsgType);
    } else if (ack_ == nothingSent) {
        std::cerr << ext::header(this) << "software error: server do NOT send ack!!!" << std::endl;
        Error(ZUZU::ErrorCause::internal);
    }
}

void Server::Success()
{
    if (ack_ != nothingSent)
        return;
    Answer(hasSeq_, seq_, slot_, successResponse().release());
    ack_ = successSent;
}

void Server::Error(ZUZU::ErrorCause::NamedNumber cause)
{
    if (ack_ == errorSent)
        return;
    Answer(hasSeq_, seq_, slot_, errorResponse(cause).release());
    ack_ = errorSent;
}

DelayedAnswer Server::delayResponse()
{
    ack_ = successSent;
    DelayedAnswer answer;
    answer.hasSeq = hasSeq_;
    answer.seq = seq_;
    answer.hasSlot = slot_ != noSlot;
    answer.slot = answer.hasSlot ? slot_ : 0;
    return answer;
}

void Server::delayedSuccess(DelayedAnswer const& answer)
{
    Answer(answer.hasSeq, answer.seq, answer.hasSlot ? answer.slot : noSlot, successResponse().release());
}

void Server::delayedError(DelayedAnswer const& answer, ZUZU::ErrorCause::NamedNumber cause)
{
    Answer(answer.hasSeq, answer.seq, answer.hasSlot ? answer.slot : noSlot, errorResponse(cause).release());
}

void Server::Answer(bool hasSeq, int seq, unsigned slot, ZUZU::Response* response)
{
    ZUZU::Message message;
    message.ref_pdu().setSelection(ZUZU::PDU::response, response);
    if (hasSeq)
        message.set_seq(seq);
    if (slot != noSlot)
        message.set_slot(slot);
    SendMsg(message);
}

void Server::SendSignal(ZUZU::Signal const& signal)
{
    ZUZU::Message message;
    message.ref_pdu().setSelection(ZUZU::PDU::signal, signal.clone().release());
    if (slot_ != noSlot)
        message.set_slot(slot_);
    SendMsg(message);
}

void Server::SendSignal(unsigned slot, ZUZU::Signal const& signal)
{
    ZUZU::Message message;
    message.ref_pdu().setSelection(ZUZU::PDU::signal, signal.clone().release());
    message.set_slot(slot);
    SendMsg(message);
}

void Server::ShareSignal(Service const* sender, ZUZU::Signal const& signal)
{
    for (std::size_t i = 0; i < services_.size(); ++i) {
        if (services_[i] != sender)
            services_[i]->OnSignal(signal);
    }
}

int Server::GetSlot() const
{
    return slot_ == noSlot ? -1 : static_cast<int>(slot_);
}

bool Server::IsSlotPresent() const
{
    return slot_ != noSlot;
}

void Server::SendMsg(ZUZU::Message& message)
{
    ASN1::CoderEnv env(ASN1::CoderEnv::per_Aligned);
    std::vector<char> bytes;
    bytes.reserve(200);
    if (!ASN1::encode(message, &env, std::back_inserter(bytes))) {
        std::cerr << ext::header(this) << "send fail: encode error!" << message << std::endl;
        return;
    }
    // Only whole frames reach the controller: a longer message cannot be
    // framed, and its length would wrap in the TPKT header.
    if (bytes.size() > maxMessageLength) {
        std::cerr << ext::header(this) << "send fail: message too long! " << bytes.size() << " bytes, at most "
                  << maxMessageLength << std::endl;
        return;
    }
    if (!connection_) {
        std::cerr << ext::header(this) << "send fail: Service not attached!" << std::endl;
        return;
    }
    connection_->Send(bytes.data(), static_cast<int>(bytes.size()));
}

void Server::OnHeartbeatTimeout()
{
    if (connection_)
        connection_->Disconnect();
}

bool Server::CheckServerConnection(bool& isConnected) const
{
    if (!connection_)
        return false;
    isConnected = connected();
    return true;
}

} // namespace CtrlSrv
