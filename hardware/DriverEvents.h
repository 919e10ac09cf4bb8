#pragma once
// A driver's device held open by one front end, whose fixed-size event
// records the main loop reads as they come. The front end derives from it,
// opens the device through open() and gets every complete record through
// OnRecord, big-endian as the driver wrote it.
//
// A record shorter than the fixed size is dropped with a log line, never
// parsed. When poll reports an error or a hang-up on the device, or a read
// fails for another reason than "no data", the device is closed (the loop
// would otherwise find it ready on every pass) and opened again a second
// later, and every second after that until it opens; requests in between
// fail as on a device that never opened.
//
// A driver may tie what was switched on through a descriptor to it and drop
// it at the close. So whenever the device opens again after a close (never
// at its first open), the front end applies again what it holds as on
// (OnReopen), and one line reports how that went.
#include "runtime/loop/Event.h"
#include "runtime/loop/Timer.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace Hardware {

class DriverEvents {
public:
    DriverEvents(DriverEvents const&) = delete;
    DriverEvents& operator=(DriverEvents const&) = delete;

    bool is_open() const { return fd_ >= 0; }
    // The loop's callback on the device (descriptor, returned poll events).
    void OnEvent(int fd, short revents);

    static constexpr unsigned retryMs = 1000;
    // Records read in one service at most, so that a driver that never runs
    // dry cannot hold the loop (and starve the watchdog).
    static constexpr unsigned maxRecordsPerPass = 256;

protected:
    // tag names the device in log lines ("tonec"); eventName is the name of
    // the loop's event on it.
    DriverEvents(char const* path, int flags, char const* tag, char const* eventName, std::size_t recordSize);
    virtual ~DriverEvents();

    // Opens the device unless it is open and watches it for records. False
    // with errno set when it cannot be opened.
    bool open();
    // Closes the device (no retry follows).
    void close();
    int fd() const { return fd_; }

    virtual void OnRecord(std::uint8_t const* record) = 0;

    // The requests a front end sent again on a reopened device.
    struct Reapplied {
        unsigned done = 0;
        unsigned failed = 0;
        // Counts one request by its outcome and hands the outcome back: a
        // failed one is to be cleared from what the front end holds as on,
        // so that the next request for it is sent afresh.
        bool add(bool sent)
        {
            ++(sent ? done : failed);
            return sent;
        }
    };
    // The device opened again: send again what was on through the old one.
    virtual Reapplied OnReopen() = 0;

private:
    void failed();
    void retry();

    char const* path_;
    int flags_;
    std::string tag_;
    std::string eventName_;
    std::size_t recordSize_;
    int fd_ = -1;
    bool openedBefore_ = false;
    Event event_;
    Timer retry_;
};

} // namespace Hardware
