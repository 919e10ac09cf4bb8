#include "runtime/packet/TpktProtocol.h"

#include "runtime/base/Profile.h"

#include <algorithm>
#include <iostream>

void Tpkt_protocol::local_prepare_head(Packet& p) { p.reserve_head(4); }
void Tpkt_protocol::local_prepare_tail(Packet& p) { p.reserve_tail(0); }

void Tpkt_protocol::message(Packet& p)
{
    static Profile::Point point("Tpkt_protocol::message");
    point.begin();
    unsigned length = p.length();
    if (length > max_payload) {
        std::clog << name().name() << " TPKT length too big, sent = " << length << " max = " << max_payload
                  << std::endl;
        point.end();
        return;
    }
    p.push16_b(static_cast<unsigned short>(length + 4));
    p.push8(0);
    p.push8(3);
    transmit(p);
    point.end();
}

void Tpkt_protocol::receive(Packet& p)
{
    while (p.length() > 0) {
        switch (state_) {
        case idle: receive_idle(p); break;
        case wait_r: receive_wait_r(p); break;
        case len_1: receive_len_1(p); break;
        case len_2: receive_len_2(p); break;
        case body: receive_body(p); break;
        case ignore: receive_ignore(p); break;
        }
    }
    if (state_ == idle)
        timer_.reset();
    else
        timer_.set(receive_timeout_ms, &Tpkt_protocol::on_timeout, this);
}

void Tpkt_protocol::receive_idle(Packet& p)
{
    if (p.pull8() == 3)
        next_state(wait_r);
    else
        std::clog << name().name() << " bad TPKT packet start." << std::endl;
}

void Tpkt_protocol::receive_wait_r(Packet& p)
{
    if (p.pull8() == 0) {
        next_state(len_1);
    } else {
        std::clog << name().name() << " bad TPKT reserved." << std::endl;
        next_state(idle);
    }
}

void Tpkt_protocol::receive_len_1(Packet& p)
{
    count_ = static_cast<uint32_t>(p.pull8()) << 8;
    next_state(len_2);
}

void Tpkt_protocol::receive_len_2(Packet& p)
{
    uint32_t length = count_ | p.pull8();
    if (length <= 3) {
        std::clog << "TPKT too small " << length << std::endl;
        next_state(idle);
        return;
    }
    count_ = length - 4;
    body_ = Packet();
    body_.reserve_head(0);
    if (count_ > body_.tailroom()) {
        std::clog << "TPKT length too big, received = " << count_ << " max = " << body_.tailroom() << std::endl;
        body_ = Packet();
        next_state(ignore);
        return;
    }
    next_state(body);
    // A frame without payload is complete with its header.
    if (count_ == 0)
        deliver();
}

void Tpkt_protocol::receive_body(Packet& p)
{
    unsigned n = std::min<unsigned>(p.length(), count_);
    body_.append(p.payload(), n);
    p.drop_head(n);
    count_ -= n;
    if (count_ == 0)
        deliver();
}

void Tpkt_protocol::receive_ignore(Packet& p)
{
    unsigned n = std::min<unsigned>(p.length(), count_);
    p.drop_head(n);
    count_ -= n;
    if (count_ == 0)
        next_state(idle);
}

void Tpkt_protocol::deliver()
{
    Packet payload = body_;
    body_ = Packet();
    next_state(idle);
    on_message(payload);
}

void Tpkt_protocol::on_timeout(Timer*)
{
    std::clog << " TPKT packet timeout." << std::endl;
    reset();
}

void Tpkt_protocol::reset()
{
    timer_.reset();
    body_ = Packet();
    next_state(idle);
}

void Tpkt_protocol::local_activate()
{
    reset();
    on_activate();
}

void Tpkt_protocol::local_deactivate()
{
    reset();
    on_deactivate(new Protocol_status_success(this, "TPKT deactivated"));
}

void Tpkt_protocol::on_deactivate(Protocol_status status)
{
    if (status && !status.get()->success())
        reset();
    Protocol::on_deactivate(status);
}
