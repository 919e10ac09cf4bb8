#pragma once
// The event records a simulated driver has queued for reading: each read
// takes one record (cut to the reader's size), or fails with EAGAIN when
// none is queued.
#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <deque>
#include <sys/types.h>
#include <vector>

namespace Sim {

class RecordQueue {
public:
    void push(std::vector<std::uint8_t> record) { records_.push_back(std::move(record)); }
    bool empty() const { return records_.empty(); }
    std::size_t size() const { return records_.size(); }
    void clear() { records_.clear(); }

    ssize_t read(void* buffer, std::size_t size)
    {
        if (records_.empty())
            return -EAGAIN;
        std::vector<std::uint8_t> record = std::move(records_.front());
        records_.pop_front();
        std::size_t n = std::min(size, record.size());
        std::memcpy(buffer, record.data(), n);
        return static_cast<ssize_t>(n);
    }

private:
    std::deque<std::vector<std::uint8_t>> records_;
};

} // namespace Sim
