#pragma once
// The hardware watchdog device as the main loop feeds it: "START" when the
// loop starts, "PING" at least once a second, "STOP" on an orderly stop.
// Failures are reported on standard error and never stop the loop; a device
// that cannot be opened or started is left closed.
#include "runtime/base/Fd.h"

#include <string>

class Watchdog {
public:
    // Opens path write-only and writes "START".
    void open(std::string const& path);
    // Writes "PING" when open.
    void ping();
    // Writes "STOP" when open, then closes.
    void stop();
    bool isOpen() const { return static_cast<bool>(fd_); }

private:
    bool write(char const* word, std::size_t length);

    Fd fd_;
};
