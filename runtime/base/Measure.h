#pragma once
// Duration statistics in microseconds of the main-loop clock: begin() marks
// the start of a sample, end() takes it. Keeps the shortest, the longest and
// the most recent sample and how many were taken. The loop keeps one record
// each for deferred calls, handler services and timer fires; every Event
// has one of its own for its owner's use. Shown in the status dump.
#include <cstdint>
#include <iosfwd>

class Measure {
public:
    void begin();
    void end();

    // "min=... max=... avg=... counter=..." without an end of line; the
    // third figure is the most recent sample.
    void put(std::ostream& out) const;

    uint32_t min() const { return min_; }
    uint32_t max() const { return max_; }
    uint32_t current() const { return current_; }
    uint32_t counter() const { return counter_; }
    bool empty() const { return first_; }

private:
    uint32_t min_ = 0;
    uint32_t max_ = 0;
    uint32_t current_ = 0;
    bool first_ = true;
    uint32_t start_ = 0;
    uint32_t counter_ = 0;
};
