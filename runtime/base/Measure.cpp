#include "runtime/base/Measure.h"

#include "runtime/base/MuxTime.h"

#include <ostream>

void Measure::begin()
{
    start_ = Mux::microseconds();
}

void Measure::end()
{
    uint32_t d = Mux::microseconds() - start_;
    if (first_) {
        min_ = max_ = d;
        first_ = false;
        counter_ = 1;
    } else {
        ++counter_;
        if (d < min_)
            min_ = d;
        if (d > max_)
            max_ = d;
    }
    current_ = d;
}

void Measure::put(std::ostream& out) const
{
    out << "min=" << min_ << " max=" << max_ << " avg=" << current_ << " counter=" << counter_;
}
