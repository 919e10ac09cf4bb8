#pragma once
// A cursor over a collection of statistics sources, handed out by a source
// and owned by the page generator while the collection's section runs.

namespace Stat {

class Object;

class IteratorBase {
public:
    virtual ~IteratorBase() = default;

    // Whether there is a current element.
    virtual bool valid() const = 0;
    // Moves to the next element; false when there is none.
    virtual bool next() = 0;
    // The current element; only while valid.
    virtual Object& current() const = 0;
};

} // namespace Stat
