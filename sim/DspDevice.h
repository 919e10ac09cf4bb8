#pragma once
// The simulated voice-processing DSP, "/dev/dsp". It answers the interface
// version request (2 unless set otherwise) and keeps, per timeslot, the
// parameter words of the last DSPROC_CONFIGURE of each feature and the
// features switched on by DSPROC_ENABLE with each one's enable id. Every
// request succeeds (failures come from the board's injection). A feature
// reports to the descriptor it was enabled through: closing that one
// switches it off, as a driver that ties it to it would. Event
// records (24 bytes: timeslot, enable id, type, three data words,
// big-endian; a BSS score as a big-endian IEEE float) are queued by control
// verbs; a descriptor of the device polls readable while any is queued, and
// each read takes one record.
//
// Control verbs ("dsp <verb> ..." on the control socket); ID defaults to the
// enable id of the event's feature on that timeslot:
//   version N                        the version request's answer
//   vad TS MASK RX TX [ID]           voice activity (mask bit 0 rx, bit 1 tx)
//   sd TS RX [ID]                    signal detection
//   bss TS SCORE [ID]                BSS score (a decimal fraction)
//   tone TS W0 W1 W2 [ID]            tone filter event
//   flags TS FLAGS MASK [ID]         flags event
//   event TS ID TYPE W0 W1 W2        any record
//   short N                          a record of only N bytes (0..23)
//   show TS                          the timeslot's enabled features and ids
//   clear                            drop every queued event
#include "sim/RecordQueue.h"
#include "sim/SimDevice.h"

#include <array>
#include <cstdint>
#include <map>
#include <vector>

namespace Sim {

class DspDevice final : public Device {
public:
    struct Timeslot {
        std::uint32_t enabled = 0;                                // feature mask
        std::map<std::uint32_t, std::uint32_t> ids;               // feature bit -> enable id
        std::map<std::uint32_t, int> enabledBy;                   // feature bit -> open
        std::map<std::uint32_t, std::array<std::uint8_t, 12>> configured; // feature -> parameter bytes
    };

    char const* path() const override { return "/dev/dsp"; }

    void describe(unsigned long code, std::uint8_t const* record, std::size_t size, RequestNote& note) const override;
    void describe_none(unsigned long code, RequestNote& note) const override;
    void closed(Open&) override;
    int request(Open&, unsigned long code, std::uint8_t* record, std::size_t size, RequestNote& note) override;
    int request_none(Open&, unsigned long code, RequestNote& note) override;
    ssize_t read(Open&, void* buffer, std::size_t size) override;
    bool readable(Open const&) const override { return !events_.empty(); }
    bool control(std::vector<std::string> const& words, std::ostream& reply) override;

    void set_version(int version) { version_ = version; }
    Timeslot const& timeslot(unsigned ts) { return timeslots_[ts]; }
    void queue(unsigned ts, std::uint32_t id, std::uint32_t type, std::uint32_t w0, std::uint32_t w1,
               std::uint32_t w2);
    void queue_raw(std::vector<std::uint8_t> bytes) { events_.push(std::move(bytes)); }
    std::size_t queued() const { return events_.size(); }

private:
    std::uint32_t idOf(unsigned ts, std::uint32_t feature) { return timeslots_[ts].ids[feature]; }

    int version_ = 2;
    std::map<unsigned, Timeslot> timeslots_;
    RecordQueue events_;
};

} // namespace Sim
