#pragma once
// The board's hardware watchdog "/dev/misc/gw-wd" as the simulator sees it.
// The main loop feeds the watchdog with plain system calls (it sits below
// the device layer), so on a PC the path is a FIFO under SERVER_ROOT whose
// reading end this model holds and serves on the main loop; every word that
// arrives ("START", "PING", "STOP") is recorded with the loop's time in
// milliseconds. Words written through the device layer are recorded the
// same way, so a test may also feed it through the board.
//
// Bytes that form no word are recorded as "?" followed by the bytes in hex,
// so a garbled feed shows in the dump instead of being skipped. The record
// keeps the newest `capacity` words and counts the ones it dropped.
//
// Control verbs (device name "watchdog"):
//   watchdog            one line per word: "<ms> <word>", then
//                       "dropped <n>" when older words were dropped
//   watchdog clear      forgets every recorded word
#include "runtime/base/Fd.h"
#include "runtime/loop/Event.h"
#include "sim/SimDevice.h"

#include <cstdint>
#include <deque>
#include <string>

namespace Sim {

class WatchdogDevice final : public Device {
public:
    struct Word {
        std::uint32_t ms = 0; // the loop's time base when it arrived
        std::string text;
    };

    static constexpr std::size_t capacity = 4096;

    WatchdogDevice();
    ~WatchdogDevice() override;

    // Makes the device path (under SERVER_ROOT) a FIFO, replacing whatever
    // non-FIFO file was there, and reads it on the main loop. False, with
    // the reason in error, when the FIFO cannot be made or opened.
    bool listen(std::string& error);
    // Stops reading; the FIFO stays for the next run.
    void stop();

    std::deque<Word> const& words() const { return words_; }
    unsigned long dropped() const { return dropped_; }
    void clear();

    // Device
    char const* path() const override { return "/dev/misc/gw-wd"; }
    std::string name() const override { return "watchdog"; }
    ssize_t write(Open&, void const* buffer, std::size_t size) override;
    bool control(std::vector<std::string> const& words, std::ostream& reply) override;

private:
    void onReadable(int fd, short revents);
    void take(char const* bytes, std::size_t size);
    void record(std::string text);

    Event reader_;
    Fd fifo_;
    std::string partial_; // the start of a word not yet complete
    std::deque<Word> words_;
    unsigned long dropped_ = 0;
};

} // namespace Sim
