#pragma once
// One simulated driver of the board (for example "/dev/hal"), plugged into
// the SimulatedBoard. The board dispatches each open, request, read and
// write on one of the device's descriptors to its model, logs every request
// with the name and fields the model gives it, and applies the failures a
// test injected before the model is asked. The name and fields come from
// describe(), which only decodes the argument, so that a request failed by
// the board is logged as fully as one the model served.
//
// Results follow the drivers: 0 or more is success; a failure is returned as
// the negated errno value (-ENODEV), which the board turns into -1 and errno.
#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <string>
#include <sys/types.h>
#include <vector>

namespace Sim {

class SimulatedBoard;

// One open descriptor of a simulated device, as the model sees it.
struct Open {
    int id = 0;          // unique per open, never reused
    std::string path;
    int flags = 0;
    void* state = nullptr; // the model's own per-open data, if it keeps any
};

// What the request log shows of one request; the model fills in name and
// fields ("output=8200 source=5").
struct RequestNote {
    std::string name;
    std::string fields;
};

class Device {
public:
    virtual ~Device() = default;

    virtual char const* path() const = 0;

    // The log's name and fields of a request, decoded from its argument
    // alone: no model state is read or changed. A request the model does not
    // know is left unnamed (the log then shows its number). The request
    // calls below may append what serving it found out ("byte=0x55").
    virtual void describe(unsigned long, std::uint8_t const*, std::size_t, RequestNote&) const {}
    virtual void describe_value(unsigned long, unsigned long, RequestNote&) const {}
    virtual void describe_none(unsigned long, RequestNote&) const {}

    virtual int opened(Open&) { return 0; }
    virtual void closed(Open&) {}
    virtual int request(Open&, unsigned long code, std::uint8_t* record, std::size_t size, RequestNote& note);
    virtual int request_value(Open&, unsigned long code, unsigned long value, RequestNote& note);
    virtual int request_none(Open&, unsigned long code, RequestNote& note);
    virtual ssize_t read(Open&, void* buffer, std::size_t size);
    virtual ssize_t write(Open&, void const* buffer, std::size_t size);
    // True while a read on this open would return data (its descriptor then
    // polls readable). The board asks after every call into the model and
    // after every control command; a model whose data arrives otherwise calls
    // SimulatedBoard::refresh().
    virtual bool readable(Open const&) const { return false; }
    // True while a write would not block (its descriptor then polls writable).
    virtual bool writable(Open const&) const { return true; }

    // A line of the control socket addressed to this device, split in words
    // (the device's short name first removed). False: not understood.
    virtual bool control(std::vector<std::string> const& words, std::ostream& reply);
    // The device's short name on the control socket ("hal" for "/dev/hal").
    virtual std::string name() const;
};

} // namespace Sim
