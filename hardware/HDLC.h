#pragma once
// One HDLC channel of the board's multi-channel controller ("/dev/mcc/ctl",
// one descriptor per controller channel), joined to a line channel through
// the TDM cross-connect. It sends and receives whole frames as Packets and
// tells its listener when a frame arrived, when the channel can take frames
// again and when the channel failed (it is closed by then).
//
// The owner (a signalling link or a data slot) fills in the channels, the
// kind and the labels and sets the listener before activate(). Listener
// callbacks run from the main loop inside on_event/do_read and may
// deactivate, re-activate or even delete the channel: nothing touches the
// object after a callback that did so.
#include "hardware/GenericHDLC.h"
#include "runtime/loop/Event.h"

#include <cstdint>
#include <iosfwd>
#include <memory>

class HwMux;

class HDLC : public GenericHDLC {
public:
    // The link layer above a channel.
    class Notify {
    public:
        struct Cause {
            enum Type { closed = 0 };
        };
        virtual ~Notify() = default;
        virtual void on_hdlc_receive(Packet& frame) = 0;
        // The channel failed and has been closed.
        virtual void on_hdlc_error(Cause::Type cause) = 0;
        // The channel can take frames again.
        virtual void on_hdlc_ready() = 0;
    };

    // What the owners report as the link's statistics, in this order.
    struct Counters {
        std::uint32_t sent = 0;
        std::uint32_t discarded = 0; // no channel open
        std::uint32_t send_errors = 0;
        std::uint32_t overflows = 0; // counted by the owner
        std::uint32_t received = 0;
    };

    // `mux` is the cross-connect the channel is joined through
    // (HwMux::instance() when null).
    explicit HDLC(HwMux* mux = nullptr);
    ~HDLC() override;
    HDLC(HDLC const&) = delete;
    HDLC& operator=(HDLC const&) = delete;

    // The listener becomes one shared listener that ignores everything.
    void unbind();
    // Opens a new controller channel (closing the old one) and joins it to
    // the line; false, logged, when the settings are incomplete or the
    // device refuses.
    bool activate();
    // Stops polling and closes the channel; the cross-connect keeps its
    // connections.
    void deactivate();

    bool hdlc_transmit(Packet& frame) override;
    bool is_open() const override { return bool(event_.fd()); }
    bool is_ready() const override { return ready_; }

    void on_event(int fd, short revents);
    void do_read();

    // "hdlc [" link "/" channel "]: "
    void PutHeader(std::ostream& out) const;

    // Set by the owner.
    std::uint32_t channel = 0;     // label, printed after the slash
    int first_channel = -1;        // the line channel; also the transmit output for kinds 0 and 1
    int second_channel = -1;       // the transmit output for kind 2
    int kind = 0;                  // 0, 1 or 2 (2: transmit on the second channel)
    std::uint32_t owner = 0;       // label, not read here
    std::uint32_t link = 0;        // label, printed first
    Notify* listener;              // never null

    Counters counters;

private:
    HwMux& mux() const;
    // The open fails: closes what was opened and says why.
    bool refuse(int fd, char const* what);
    void closeAfterError(char const* why);

    HwMux* mux_;
    bool ready_ = false;
    // Changes whenever a channel is opened or closed, so that a caller can
    // tell that a callback replaced the channel it was serving.
    unsigned generation_ = 0;
    // False once the object is destroyed; a caller that keeps a copy
    // across a listener callback learns whether the object survived it.
    std::shared_ptr<bool> alive_;
    Event event_;
};
