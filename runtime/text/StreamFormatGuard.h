#pragma once
// Keeps a stream's format flags and fill character for the lifetime of the
// guard and puts them back when it ends, so a helper may switch to zero-filled
// hexadecimal without leaking that into the caller's later output.
#include <ostream>

class StreamFormatGuard {
public:
    explicit StreamFormatGuard(std::ostream& out)
        : out_(out), flags_(out.flags()), fill_(out.fill()) {}
    ~StreamFormatGuard()
    {
        out_.flags(flags_);
        out_.fill(fill_);
    }
    StreamFormatGuard(StreamFormatGuard const&) = delete;
    StreamFormatGuard& operator=(StreamFormatGuard const&) = delete;

private:
    std::ostream& out_;
    std::ios_base::fmtflags flags_;
    char fill_;
};
