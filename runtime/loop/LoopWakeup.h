#pragma once
// Lets an asynchronous signal handler cut the main loop's poll short: wake()
// writes one byte into a non-blocking pipe whose read end the loop polls
// alongside its handlers. Once opened the pipe stays open for the life of
// the process, so a late signal never writes to a reused descriptor number.
#include <csignal>

class LoopWakeup {
public:
    LoopWakeup() = default;
    LoopWakeup(LoopWakeup const&) = delete;
    LoopWakeup& operator=(LoopWakeup const&) = delete;
    ~LoopWakeup();

    // Creates the pipe unless it exists; false when it cannot.
    bool open();
    // -1 while not open.
    int readFd() const { return readFd_; }
    // Async-signal-safe; keeps errno.
    void wake();
    // Empties the pipe.
    void drain();

private:
    volatile std::sig_atomic_t readFd_ = -1;
    volatile std::sig_atomic_t writeFd_ = -1;
};
