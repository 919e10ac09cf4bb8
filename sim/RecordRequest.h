#pragma once
// A model's table of the record requests its driver knows: the request
// number, the name the log shows and the record size the driver needs.
// Serving a request and describing it both start from the same entry, so
// the two cannot disagree on what a request is called or how long it is.
#include "sim/SimDevice.h"

#include <cerrno>
#include <cstddef>
#include <cstdint>

namespace Sim {

struct RecordRequest {
    unsigned long code;
    char const* name;
    std::size_t size;
};

// The entry for code, or null for a request the driver does not know.
template <std::size_t N>
RecordRequest const* findRequest(RecordRequest const (&table)[N], unsigned long code)
{
    for (RecordRequest const& known : table)
        if (known.code == code)
            return &known;
    return nullptr;
}

// For serving a request: 0 when the table knows it and the record has its
// size exactly, else the driver's refusal (-ENOTTY, -EINVAL).
template <std::size_t N>
int checkRequest(RecordRequest const (&table)[N], unsigned long code, std::uint8_t const* record, std::size_t size)
{
    RecordRequest const* known = findRequest(table, code);
    if (!known)
        return -ENOTTY;
    return record && size == known->size ? 0 : -EINVAL;
}

// For describing a request: names it in note when the table knows it, and
// returns its entry when the record holds the bytes its fields are decoded
// from; null otherwise (the fields are then left out).
template <std::size_t N>
RecordRequest const* nameRequest(RecordRequest const (&table)[N], unsigned long code, std::uint8_t const* record,
                                 std::size_t size, RequestNote& note)
{
    RecordRequest const* known = findRequest(table, code);
    if (!known)
        return nullptr;
    note.name = known->name;
    return record && size >= known->size ? known : nullptr;
}

} // namespace Sim
