#pragma once
// The device side of the boundary between a frame device and the link layer
// above it: whatever carries whole HDLC frames (a channel of the board's
// multi-channel controller, or a slot's own D-channel) offers these. The
// link layer hears back through HDLC::Notify.
class Packet;

class GenericHDLC {
public:
    virtual ~GenericHDLC() = default;

    // Sends one frame; false when it was not taken (the caller keeps or
    // drops it).
    virtual bool hdlc_transmit(Packet& frame) = 0;
    // The device has an open channel.
    virtual bool is_open() const = 0;
    // The device can take a frame now.
    virtual bool is_ready() const = 0;
};
