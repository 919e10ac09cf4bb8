#pragma once
// One statistics value as a source offers it: its text, or nothing when the
// source does not know the name asked for.
#include <string>
#include <utility>

namespace Stat {

class Value {
public:
    // Not a value: the source does not know the name.
    Value() = default;
    explicit Value(std::string text) : valid_(true), text_(std::move(text)) {}

    explicit operator bool() const { return valid_; }
    std::string const& text() const { return text_; }

private:
    bool valid_ = false;
    std::string text_;
};

} // namespace Stat
