#pragma once
// TPKT framing (RFC 1006) above the stream-socket layer of a message
// connection. Outgoing messages get the 4-byte header 03 00 and the 16-bit
// big-endian length (header included) in the head room the sender reserved.
// Incoming bytes are cut into frames by a small state machine; each complete
// payload goes up as one packet. Malformed input never closes the link: it
// is logged and the receiver resynchronises on the next frame start, and a
// frame left incomplete for 3000 ms after the last read is dropped.
#include "runtime/packet/Protocol.h"
#include "runtime/loop/Timer.h"

#include <cstdint>

class Tpkt_protocol : public Protocol {
public:
    enum State { idle, wait_r, len_1, len_2, body, ignore };

    // The largest payload one frame can carry.
    static constexpr unsigned max_payload = 0xFFFF - 4;
    static constexpr unsigned receive_timeout_ms = 3000;

    Tpkt_protocol() = default;
    ~Tpkt_protocol() override = default;

    void local_prepare_head(Packet& p) override;
    void local_prepare_tail(Packet& p) override;
    // Frames p and hands it down; a payload over max_payload is refused
    // (logged, nothing sent).
    void message(Packet& p) override;
    // Consumes p, handing up every payload it completes.
    void receive(Packet& p) override;
    void local_activate() override;
    void local_deactivate() override;
    // A failure below (the connection went away) drops the partial frame
    // and its time-out before the status travels on up.
    void on_deactivate(Protocol_status status) override;

    State state() const { return state_; }

private:
    void on_timeout(Timer*);
    // Drops a partial frame and waits for the next frame start.
    void reset();
    void next_state(State state) { state_ = state; }
    void receive_idle(Packet& p);
    void receive_wait_r(Packet& p);
    void receive_len_1(Packet& p);
    void receive_len_2(Packet& p);
    void receive_body(Packet& p);
    void receive_ignore(Packet& p);
    void deliver();

    Protocol_name_str type_name_{"TPKT"};
    // The length being assembled in the length states; the payload bytes
    // still expected in the body and ignore states.
    uint32_t count_ = 0;
    Timer timer_;
    State state_ = idle;
    Packet body_;
};
