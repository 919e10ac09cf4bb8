#include "runtime/text/TraceBlock.h"

namespace Trace {

Block::Block(bool enabled, char const* name, std::ostream& out)
    : enabled_(enabled), name_(name ? name : ""), out_(out)
{
    if (enabled_)
        out_ << "Enter " << name_ << std::endl;
}

Block::~Block()
{
    if (enabled_)
        out_ << "Leave " << name_ << std::endl;
}

} // namespace Trace
