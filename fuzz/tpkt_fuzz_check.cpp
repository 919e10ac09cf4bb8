#include "fuzz/tpkt_fuzz_check.h"

#include "runtime/packet/TpktProtocol.h"
#include "runtime/packet/ProtocolsList.h"

#include <algorithm>
#include <iostream>
#include <sstream>
#include <vector>

namespace TpktFuzz {

namespace {

typedef std::vector<unsigned char> Bytes;

// A stack of one TPKT layer that keeps what leaves it at either end.
class Stack : public ProtocolsList {
public:
    Stack() { add_protocol_tail(tpkt); }

    void transmit(Packet& p) override { sent.insert(sent.end(), p.payload(), p.payload() + p.length()); }
    void on_message(Packet& p) override { received.emplace_back(p.payload(), p.payload() + p.length()); }

    void send(Bytes const& payload)
    {
        Packet p;
        tpkt->prepare_head(p);
        p.append(payload.data(), static_cast<unsigned>(payload.size()));
        tpkt->message(p);
    }
    // Feeds the stream in reads of the given sizes, used in turn; after
    // 4096 of them (a check of a long stream in reads of a byte would take
    // long) the rest comes in reads as large as a packet.
    void feed(Bytes const& stream, std::vector<unsigned> const& sizes)
    {
        std::size_t next = 0;
        for (std::size_t at = 0; at < stream.size();) {
            unsigned const size = next < 4096 ? sizes[next++ % sizes.size()] : _Packet::packet_max_size;
            unsigned n = std::min<std::size_t>(size, stream.size() - at);
            Packet p;
            p.reserve_head(0);
            p.append(stream.data() + at, n);
            at += n;
            tpkt->receive(p);
        }
    }

    Tpkt_protocol* tpkt = new Tpkt_protocol;
    Bytes sent;
    std::vector<Bytes> received;
};

// The layers log on std::clog; the check keeps what they write.
class ClogCapture {
public:
    ClogCapture() : old_(std::clog.rdbuf(text_.rdbuf())) {}
    ~ClogCapture() { std::clog.rdbuf(old_); }
    std::string take()
    {
        std::string text = text_.str();
        text_.str("");
        return text;
    }

private:
    std::ostringstream text_;
    std::streambuf* old_;
};

// Reads the input front to back; past its end every octet is 0.
class Input {
public:
    Input(std::uint8_t const* data, std::size_t size) : at_(data), end_(data + size) {}
    bool empty() const { return at_ == end_; }
    unsigned octet() { return at_ == end_ ? 0 : *at_++; }
    Bytes octets(std::size_t n)
    {
        Bytes out(n, 0);
        std::size_t given = std::min<std::size_t>(n, static_cast<std::size_t>(end_ - at_));
        std::copy(at_, at_ + given, out.begin());
        at_ += given;
        return out;
    }

private:
    std::uint8_t const* at_;
    std::uint8_t const* end_;
};

std::string describe(std::vector<Bytes> const& payloads)
{
    std::ostringstream out;
    out << payloads.size() << " payloads:";
    for (Bytes const& p : payloads)
        out << ' ' << p.size();
    return out.str();
}

} // namespace

Outcome checkInput(std::uint8_t const* data, std::size_t size, std::string& report)
{
    unsigned const freeBodies = packet_pool().free_count();
    ClogCapture log;
    Input input(data, size);

    std::vector<unsigned> sizes;
    for (unsigned n = input.octet(); n > 0; --n) {
        unsigned b = input.octet();
        sizes.push_back(1 + b * b);
    }
    if (sizes.empty())
        sizes.push_back(_Packet::packet_max_size);

    Stack sender;
    std::vector<Bytes> framed;
    bool unframed = false;
    // 128 KiB of stream at most, so that every input stays quick to check.
    while (!input.empty() && sender.sent.size() < (std::size_t(1) << 17)) {
        unsigned h = input.octet();
        if (h < 0x80) {
            framed.push_back(input.octets(h));
            sender.send(framed.back());
        } else if (h < 0xC0) {
            Bytes raw = input.octets((h & 0x3F) + 1);
            sender.sent.insert(sender.sent.end(), raw.begin(), raw.end());
            unframed = true;
        } else {
            unsigned length = input.octet() << 8;
            length = std::min(length | input.octet(), Tpkt_protocol::max_payload + 1);
            Bytes payload(length);
            for (unsigned i = 0; i < length; ++i)
                payload[i] = static_cast<unsigned char>(i * 7 + length);
            sender.send(payload);
            if (length <= Tpkt_protocol::max_payload)
                framed.push_back(payload);
        }
    }
    log.take(); // the sender's refusals

    Outcome outcome = Outcome::Delivered;
    {
        Stack cut;
        cut.feed(sender.sent, sizes);
        std::string const cutLog = log.take();
        Stack whole;
        whole.feed(sender.sent, {_Packet::packet_max_size});
        std::string const wholeLog = log.take();

        if (cut.received != whole.received || cutLog != wholeLog) {
            report = "the reads changed what came up: " + describe(cut.received) + " against "
                + describe(whole.received) + "; log:\n" + cutLog + "against:\n" + wholeLog;
            outcome = Outcome::Mismatch;
        }
        for (Bytes const& payload : cut.received) {
            if (payload.size() > Tpkt_protocol::max_payload) {
                report = "a payload of " + std::to_string(payload.size()) + " bytes came up";
                outcome = Outcome::Mismatch;
            }
        }
        if (!unframed) {
            if (cut.received != framed) {
                report = "framed " + describe(framed) + ", came up " + describe(cut.received);
                outcome = Outcome::Mismatch;
            } else if (!cutLog.empty() || cut.tpkt->state() != Tpkt_protocol::idle) {
                report = "well-framed stream left state " + std::to_string(cut.tpkt->state()) + ", log:\n" + cutLog;
                outcome = Outcome::Mismatch;
            }
        }
    }
    if (outcome == Outcome::Delivered && packet_pool().free_count() != freeBodies) {
        report = "packet bodies not returned: " + std::to_string(freeBodies - packet_pool().free_count());
        outcome = Outcome::Mismatch;
    }
    return outcome;
}

} // namespace TpktFuzz
