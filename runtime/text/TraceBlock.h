#pragma once
// Scope tracing: when enabled, writes "Enter <name>" where the block is made
// and "Leave <name>" where it ends, each on a line of its own. The name is
// not copied and the stream must outlive the block.
#include <ostream>

namespace Trace {

class Block {
public:
    Block(bool enabled, char const* name, std::ostream& out);
    ~Block();
    Block(Block const&) = delete;
    Block& operator=(Block const&) = delete;

private:
    bool enabled_;
    char const* name_;
    std::ostream& out_;
};

} // namespace Trace
