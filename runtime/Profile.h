#pragma once
// Named profiling points: duration statistics in microseconds (minimum,
// maximum, last sample, number of samples) for a stretch of code, listed in
// the status dump. A point is a function-local static created on first use;
// it links itself at the head of the global list Profile::mRoot and unlinks
// itself when destroyed. The name is not copied and must outlive the point.
//
//     static Profile::Point point("Tpkt_protocol::message");
//     point.begin(); ... point.end();
#include <cstdint>
#include <ostream>

namespace Profile {

class Point {
public:
    explicit Point(char const* name);
    ~Point();
    Point(Point const&) = delete;
    Point& operator=(Point const&) = delete;

    // Starts a sample at Mux::microseconds().
    void begin();
    // Ends the sample started by begin() and records its duration.
    void end();
    // Records one duration.
    void sample(uint32_t duration);

    // "[name]: min=... max=... avg=... counter=..."; avg is the last sample.
    void put(std::ostream& out) const;

    Point* next() const { return next_; }
    char const* name() const { return name_; }
    uint32_t min() const { return min_; }
    uint32_t max() const { return max_; }
    uint32_t current() const { return current_; }
    uint32_t counter() const { return counter_; }

private:
    Point* next_;
    char const* name_;
    uint32_t min_ = 0;
    uint32_t max_ = 0;
    uint32_t current_ = 0;
    bool first_ = true;
    uint32_t start_ = 0;
    uint32_t counter_ = 0;
};

// Head of the list of points, the most recently created first.
extern Point* mRoot;

// Every point's line, from the head, each ended by an end of line.
void dump(std::ostream& out);

} // namespace Profile
