#pragma once
// The multi-channel HDLC controller, "/dev/mcc/ctl": every open descriptor is
// one controller channel. MCC_ALLOCATE sets it up in a mode and gives it a
// TDM channel number (10112 + n, n the lowest number free among the allocated
// channels), which MCC_TIMESLOT reports. Frames written to the channel are
// recorded; frames injected from outside are read one per read (an empty
// one as a read of 0 bytes), and an injected read error is returned by the
// read that reaches it. A blocked channel refuses writes with EAGAIN and
// does not poll writable until it is unblocked (back-pressure).
//
// Control verbs (after "mcc" on the control socket); N is the channel's TDM
// number:
//   list             "tdm=N mode=M sent=K queued=Q blocked=0|1" per channel
//   inject N HEX..   queues one received frame, its bytes in hexadecimal
//   error N ERRNO    queues a read error
//   block N          back-pressure on; "unblock N" off
//   sent N           the frames written so far, one per line in hexadecimal
#include "hardware/device/MccRequests.h"
#include "sim/SimDevice.h"

#include <cstdint>
#include <deque>
#include <map>
#include <vector>

namespace Sim {

class MccDevice final : public Device {
public:
    static constexpr int firstTdm = 10112;

    using Frame = std::vector<std::uint8_t>;

    struct Channel {
        bool allocated = false;
        std::uint32_t words[5] = {}; // the MCC_ALLOCATE record: mode first
        int tdm = -1;
        bool blocked = false;
        std::vector<Frame> sent;
        // Received frames, and read errors as an empty frame with an errno.
        struct Item {
            Frame frame;
            int error = 0;
        };
        std::deque<Item> queue;
    };

    char const* path() const override { return "/dev/mcc/ctl"; }
    std::string name() const override { return "mcc"; }

    // The allocated channels' TDM numbers, ascending.
    std::vector<int> channels() const;
    // The channel with this TDM number, or null.
    Channel const* channel(int tdm) const;
    // Each false when no channel has the number. Call
    // SimulatedBoard::refresh() afterwards.
    bool inject(int tdm, Frame frame);
    bool inject_error(int tdm, int errnum);
    bool block(int tdm, bool blocked);

    int opened(Open&) override;
    void closed(Open&) override;
    void describe(unsigned long code, std::uint8_t const* record, std::size_t size, RequestNote& note) const override;
    void describe_none(unsigned long code, RequestNote& note) const override;
    int request(Open&, unsigned long code, std::uint8_t* record, std::size_t size, RequestNote& note) override;
    int request_none(Open&, unsigned long code, RequestNote& note) override;
    ssize_t read(Open&, void* buffer, std::size_t size) override;
    ssize_t write(Open&, void const* buffer, std::size_t size) override;
    bool readable(Open const&) const override;
    bool writable(Open const&) const override;
    bool control(std::vector<std::string> const& words, std::ostream& reply) override;

private:
    Channel* find(int tdm);

    std::map<int, Channel> open_; // by open id
};

} // namespace Sim
