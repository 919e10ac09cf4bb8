#include "runtime/base/Profile.h"

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

void Point::put(std::ostream& out) const
{
    out << '[' << (name_ ? name_ : "") << "]: ";
    measure_.put(out);
}

void dump(std::ostream& out)
{
    for (Point const* p = mRoot; p; p = p->next()) {
        p->put(out);
        out << '\n';
    }
}

} // namespace Profile
