#pragma once
// The simulated tone DSP, "/dev/dtmf". Per timeslot it keeps the detector
// configuration, whether the DTMF detector is on and with which enable id,
// the IVA detector and its level, DTMF rejection, the echo canceller, the
// generator's last setting and the last SELCAL code dialled. Every request
// succeeds (failures come from the board's injection). The DTMF and IVA
// detectors report to the descriptor they were enabled through: closing it
// switches them off, as a driver that ties them to it would. Event records
// (16 bytes: code, timeslot, timestamp, enable id, big-endian) are queued by
// control verbs; a descriptor of the device polls readable while any is
// queued, and each read takes one record.
//
// Control verbs ("dtmf <verb> ..." on the control socket):
//   event TS CODE [ID [TIMESTAMP]]  queue an event; ID defaults to the
//                                   timeslot's current DTMF enable id,
//                                   TIMESTAMP to a running count
//   short N                         queue a record of only N bytes (0..15)
//   show TS                         print the timeslot's state
//   clear                           drop every queued event
#include "sim/RecordQueue.h"
#include "sim/SimDevice.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace Sim {

class DtmfDevice final : public Device {
public:
    struct Timeslot {
        bool configured = false;
        std::uint32_t twist = 0, ratio = 0, silence = 0, noise = 0;
        bool dtmf = false;
        std::uint32_t id = 0;
        bool iva = false;
        int dtmfBy = 0, ivaBy = 0; // the open each detector was enabled through
        std::int32_t ivaLevel = 0;
        bool rejection = false;
        bool echoCancel = false;
        std::uint16_t freq1 = 0, freq2 = 0, level1 = 0, level2 = 0;
        std::uint16_t selcalAmplitude = 0;
        std::string selcal;
    };

    char const* path() const override { return "/dev/dtmf"; }

    void describe(unsigned long code, std::uint8_t const* record, std::size_t size, RequestNote& note) const override;
    void describe_value(unsigned long code, unsigned long value, RequestNote& note) const override;
    void closed(Open&) override;
    int request(Open&, unsigned long code, std::uint8_t* record, std::size_t size, RequestNote& note) override;
    int request_value(Open&, unsigned long code, unsigned long value, RequestNote& note) override;
    ssize_t read(Open&, void* buffer, std::size_t size) override;
    bool readable(Open const&) const override { return !events_.empty(); }
    bool control(std::vector<std::string> const& words, std::ostream& reply) override;

    // The state of a timeslot (a default one when never addressed).
    Timeslot const& timeslot(unsigned ts) { return timeslots_[ts]; }
    void queue(unsigned ts, std::uint32_t code, std::uint32_t id, std::uint32_t timestamp);
    void queue_raw(std::vector<std::uint8_t> bytes) { events_.push(std::move(bytes)); }
    std::size_t queued() const { return events_.size(); }

private:
    std::map<unsigned, Timeslot> timeslots_;
    RecordQueue events_;
    std::uint32_t timestamp_ = 0;
};

} // namespace Sim
