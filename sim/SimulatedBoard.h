#pragma once
// The simulated board: a Board::Devices that serves the hardware front ends
// from device models instead of the board's drivers, so that the server runs
// and is tested on a PC.
//
// Every open hands out a real descriptor (one end of a socket pair) that the
// main loop can poll: the board keeps it readable exactly while the model has
// data for that open, and makes it report a hang-up when a test breaks the
// device. Descriptors are recognised by the socket they name, so duplicates
// made by Fd copies reach the same open.
//
// The board keeps a log of every request (device, request name, decoded
// fields, result; a failed request with its fields too) and can make a
// device fail: its next N requests, all its requests, its opens ("device
// missing"), or everything on the descriptors open now ("break").
#include "hardware/device/BoardDevices.h"
#include "sim/SimDevice.h"

#include <cerrno>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace Sim {

struct LogEntry {
    std::string device;
    std::string request;
    std::string fields;
    int result = 0; // the driver's result: 0 or more, or the negated errno
};

// Prints "device request fields -> result" (result as errno name when negative).
std::ostream& operator<<(std::ostream&, LogEntry const&);

class SimulatedBoard final : public Board::Devices {
public:
    explicit SimulatedBoard(std::size_t log_limit = 100000);
    ~SimulatedBoard() override;

    // Adds a device model; the board owns it. One model per path.
    Device& add(std::unique_ptr<Device> device);
    // The model at path, or nullptr.
    Device* device(std::string const& path) const;
    template <class T>
    T* model(std::string const& path) const { return dynamic_cast<T*>(device(path)); }

    // Failure injection, per device path. `errnum` is the errno the failing
    // requests report.
    void fail_next(std::string const& path, unsigned count, int errnum = EIO);
    void fail_always(std::string const& path, int errnum = EIO);
    void set_missing(std::string const& path, bool missing);
    void clear_failures(std::string const& path);
    // Makes every open of the device report an error/hang-up on poll, and
    // its reads, writes and requests fail with EIO, as a hung-up driver's
    // do; opens made afterwards work.
    void break_opens(std::string const& path);

    // The newest requests, at most the log limit of them: the cross-
    // connect's refresh alone issues thousands a second, and a long simulator
    // run must not grow without bound. `dropped` counts the older ones let go.
    std::deque<LogEntry> const& log() const { return log_; }
    std::size_t dropped() const { return dropped_; }
    void clear_log()
    {
        log_.clear();
        dropped_ = 0;
    }
    // Log entries of one device, optionally of one request name only.
    std::vector<LogEntry> log_of(std::string const& path, std::string const& request = "") const;

    // Brings every descriptor's readiness in line with its model.
    void refresh();
    // Runs one control line ("hal drive 8200 0x55", "log", "fail hal next 2").
    // The reply ends with "ok" or "error: ..." on its last line.
    void control(std::string const& line, std::ostream& reply);

    // Board::Devices
    int open(char const* path, int flags) override;
    int request(int fd, unsigned long code, void* record, std::size_t size) override;
    int request_value(int fd, unsigned long code, unsigned long value) override;
    int request_none(int fd, unsigned long code) override;
    ssize_t read(int fd, void* buffer, std::size_t size) override;
    ssize_t write(int fd, void const* buffer, std::size_t size) override;
    int close(int fd) override;

private:
    struct Failure {
        unsigned next = 0;
        bool always = false;
        bool missing = false;
        int errnum = EIO;
    };
    struct Descriptor;

    Descriptor* find(int fd);
    template <class Describe, class AskModel>
    int dispatch(int fd, unsigned long code, std::string const& fields, Describe describe, AskModel ask);
    void forget(Descriptor& descriptor);
    void sync(Descriptor& descriptor);
    // A descriptor of the front end's socket that is still open, or -1.
    int liveFront(Descriptor& descriptor);
    // The injected failure for a request on path, as a negated errno, or 0.
    int injected(std::string const& path);
    int finish(std::string const& path, RequestNote const& note, int result);
    int open_failure(std::string const& path);
    void collect_closed();
    // The path of the device with this short name or path, or "".
    std::string pathNamed(std::string const& name) const;
    // A "fail DEVICE ..." line; false, with the error replied, when refused.
    bool control_fail(std::vector<std::string> const& words, std::ostream& reply);

    std::map<std::string, std::unique_ptr<Device>> devices_;
    std::map<std::string, Failure> failures_;
    std::vector<std::unique_ptr<Descriptor>> open_;
    std::size_t log_limit_;
    std::deque<LogEntry> log_;
    std::size_t dropped_ = 0;
    int next_id_ = 1;
};

} // namespace Sim
