#include "runtime/Profile.h"

#include "runtime/MuxTime.h"

namespace Profile {

Point* mRoot = nullptr;

Point::Point(char const* name) : next_(mRoot), name_(name)
{
    mRoot = this;
}

Point::~Point()
{
    for (Point** link = &mRoot; *link; link = &(*link)->next_) {
        if (*link == this) {
            *link = next_;
            break;
        }
    }
}

void Point::begin()
{
    start_ = Mux::microseconds();
}

void Point::end()
{
    sample(Mux::microseconds() - start_);
}

void Point::sample(uint32_t duration)
{
    if (first_) {
        min_ = max_ = duration;
        counter_ = 1;
        first_ = false;
    } else {
        ++counter_;
        if (duration < min_)
            min_ = duration;
        if (duration > max_)
            max_ = duration;
    }
    current_ = duration;
}

void Point::put(std::ostream& out) const
{
    out << '[' << (name_ ? name_ : "") << "]: min=" << min_ << " max=" << max_
        << " avg=" << current_ << " counter=" << counter_;
}

void dump(std::ostream& out)
{
    for (Point const* p = mRoot; p; p = p->next()) {
        p->put(out);
        out << '\n';
    }
}

} // namespace Profile
