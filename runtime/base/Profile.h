#pragma once
// Named profiling points: duration statistics in microseconds (minimum,
// maximum, last sample, number of samples) for a stretch of code, listed in
// the status dump. A point is a function-local static created on first use;
// it links itself at the head of the global list Profile::mRoot and unlinks
// itself when destroyed. The name is not copied and must outlive the point.
//
//     static Profile::Point point("Tpkt_protocol::message");
//     point.begin(); ... point.end();
#include "runtime/base/Measure.h"

#include <ostream>

namespace Profile {

class Point {
public:
    explicit Point(char const* name);
    ~Point();
    Point(Point const&) = delete;
    Point& operator=(Point const&) = delete;

    void begin() { measure_.begin(); }
    void end() { measure_.end(); }

    // "[name]: " and the statistics line.
    void put(std::ostream& out) const;

    Point* next() const { return next_; }
    char const* name() const { return name_; }
    Measure const& measure() const { return measure_; }

private:
    Point* next_;
    char const* name_;
    Measure measure_;
};

// Head of the list of points, the most recently created first.
extern Point* mRoot;

// Every point's line, from the head, each ended by an end of line.
void dump(std::ostream& out);

} // namespace Profile
