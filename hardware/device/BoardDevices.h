#pragma once
// The one door through which the hardware front ends reach the board's
// drivers: open a device, issue a request (with a big-endian record, with a
// value, or without argument), read, write and close. The production server
// uses the system calls; tests and the PC simulator install a simulated board
// in their place, so that every front end runs unchanged against either.
//
// Paths are the devices' own absolute paths ("/dev/hal"); the system
// implementation resolves them under the server's root directory. Request
// numbers are the board's own encodings, passed through unchanged. Results
// follow the system calls: below 0 is a failure with errno set.
#include <cstddef>
#include <sys/types.h>

namespace Board {

class Devices {
public:
    virtual ~Devices() = default;

    virtual int open(char const* path, int flags) = 0;
    // The driver may change the record (read requests fill it in).
    virtual int request(int fd, unsigned long code, void* record, std::size_t size) = 0;
    virtual int request_value(int fd, unsigned long code, unsigned long value) = 0;
    virtual int request_none(int fd, unsigned long code) = 0;
    virtual ssize_t read(int fd, void* buffer, std::size_t size) = 0;
    virtual ssize_t write(int fd, void const* buffer, std::size_t size) = 0;
    virtual int close(int fd) = 0;
};

// The devices in use: the system's unless another implementation is installed.
Devices& devices();
// Installs an implementation (not owned); nullptr goes back to the system's.
void install(Devices* implementation);

} // namespace Board
