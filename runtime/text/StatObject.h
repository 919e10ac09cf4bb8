#pragma once
// A source of statistics for the page generator: named values, named
// sub-sources and named collections of sources. The sources form a tree
// that the page template walks; a source owns its sub-sources.
#include "runtime/text/StatIteratorBase.h"
#include "runtime/text/StatValue.h"

#include <memory>
#include <string>

namespace Stat {

class Object {
public:
    virtual ~Object() = default;

    // The value of that name, or an invalid value when the source has none.
    virtual Value statistics_value(std::string const& name) const = 0;
    // The sub-source of that name, still owned by this source; null when
    // there is none.
    virtual Object* statistics_object(std::string const& name) const = 0;
    // A new cursor over the collection of that name; empty when the source
    // has no such collection.
    virtual std::unique_ptr<IteratorBase> statistics_iterator(std::string const& name) const = 0;
};

} // namespace Stat
