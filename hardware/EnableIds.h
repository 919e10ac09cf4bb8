#pragma once
// The tags a DSP front end gives its enable requests: 1, 2, 3, ... from one
// counter, so that a driver event can be matched to the request that asked
// for it. 0 is never handed out (it stands for "never enabled"), so the
// counter skips it when it wraps.
#include <cstdint>

namespace Hardware {

class EnableIds {
public:
    explicit EnableIds(std::uint32_t last = 0) : last_(last) {}

    std::uint32_t next()
    {
        if (++last_ == 0)
            ++last_;
        return last_;
    }
    std::uint32_t last() const { return last_; }

private:
    std::uint32_t last_;
};

} // namespace Hardware
