#pragma once
// The CAS signalling driver, "/dev/e1-cas": per trunk (0..3) whether CAS is
// open and through which descriptor, per timeslot the configured code and the
// four transmitted and received signalling bits. Open-trunk and close-trunk
// are answered 0; configure, set and get too while the channel's trunk is
// open, EINVAL while it is not. Closing a descriptor closes the CAS of the
// trunks opened through it, as a driver that ties them to it would. Bits
// start at rx 0, tx 0; set changes tx. A change of received bits, scripted
// from outside, changes rx and queues a 12-byte received-change record
// {trunk, timeslot, rx, tx}; a descriptor of the device polls readable while
// records are queued, and each read takes one record.
//
// Control verbs (after "e1-cas" on the control socket):
//   rx T TS BITS     the far end sends BITS on trunk T timeslot TS
//   short N          queues a broken record of N bytes (0..11)
//   show T TS        "open=0|1 configured=0|1 code=C rx=R tx=X"
#include "hardware/device/E1Requests.h"
#include "sim/RecordQueue.h"
#include "sim/SimDevice.h"

#include <array>
#include <cstdint>
#include <vector>

namespace Sim {

class CasDevice final : public Device {
public:
    static constexpr unsigned trunks = 4;
    static constexpr unsigned timeslots = 32;
    static constexpr std::size_t recordSize = Board::Cas::bitsSize;

    struct Channel {
        bool configured = false;
        std::uint8_t code = 0;
        std::uint8_t rx = 0;
        std::uint8_t tx = 0;
    };

    char const* path() const override { return "/dev/e1-cas"; }
    std::string name() const override { return "e1-cas"; }

    bool trunk_open(unsigned trunk) const { return trunk < trunks && openedBy_[trunk] != 0; }
    Channel channel(unsigned trunk, unsigned timeslot) const { return channels_.at(trunk).at(timeslot); }
    // The far end's bits change: rx is set and a record queued. False for a
    // channel outside the device. Call SimulatedBoard::refresh() afterwards.
    bool receive(unsigned trunk, unsigned timeslot, unsigned bits);
    // Queues a record cut to `size` bytes.
    void queue_short(std::size_t size);
    std::size_t queued() const { return events_.size(); }

    void describe(unsigned long code, std::uint8_t const* record, std::size_t size, RequestNote& note) const override;
    void describe_value(unsigned long code, unsigned long value, RequestNote& note) const override;
    void closed(Open&) override;
    int request(Open&, unsigned long code, std::uint8_t* record, std::size_t size, RequestNote& note) override;
    int request_value(Open&, unsigned long code, unsigned long value, RequestNote& note) override;
    ssize_t read(Open&, void* buffer, std::size_t size) override;
    bool readable(Open const&) const override { return !events_.empty(); }
    bool control(std::vector<std::string> const& words, std::ostream& reply) override;

private:
    // The channel a record addresses, or null outside the device.
    Channel* at(std::uint8_t const* record);

    // Per trunk the id of the open its CAS was opened through, 0 while closed.
    std::array<int, trunks> openedBy_{};
    std::array<std::array<Channel, timeslots>, trunks> channels_{};
    RecordQueue events_;
};

} // namespace Sim
