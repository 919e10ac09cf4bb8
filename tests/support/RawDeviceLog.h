#pragma once
// A device model for byte-for-byte checks of a front end's requests: it
// answers every request with a result the test chooses (the queued results
// first, one per request, then `result`, 0 by default),
// records each request as "0x<code> <record bytes in hex>" (or
// "0x<code> value=<v>", "0x<code>" without argument), and lets the test
// write bytes into the record before it goes back to the front end.
#include "sim/SimDevice.h"

#include <cstdio>
#include <deque>
#include <functional>
#include <string>
#include <vector>

class RawDeviceLog : public Sim::Device {
public:
    explicit RawDeviceLog(std::string path) : path_(std::move(path)) {}

    char const* path() const override { return path_.c_str(); }

    std::vector<std::string> requests;
    std::deque<int> results;
    int result = 0;
    // Runs on every record request after it is logged; may change the record.
    std::function<void(unsigned long code, std::uint8_t* record, std::size_t size)> answer;

    int request(Sim::Open&, unsigned long code, std::uint8_t* record, std::size_t size, Sim::RequestNote&) override
    {
        std::string line = hex(code);
        for (std::size_t i = 0; i < size; ++i) {
            char byte[4];
            std::snprintf(byte, sizeof byte, " %02x", record[i]);
            line += byte;
        }
        requests.push_back(line);
        if (answer)
            answer(code, record, size);
        return next();
    }
    int request_value(Sim::Open&, unsigned long code, unsigned long value, Sim::RequestNote&) override
    {
        requests.push_back(hex(code) + " value=" + std::to_string(value));
        return next();
    }
    int request_none(Sim::Open&, unsigned long code, Sim::RequestNote&) override
    {
        requests.push_back(hex(code));
        return next();
    }

private:
    int next()
    {
        if (results.empty())
            return result;
        int r = results.front();
        results.pop_front();
        return r;
    }

    static std::string hex(unsigned long code)
    {
        char text[24];
        std::snprintf(text, sizeof text, "0x%08lx", code);
        return text;
    }

    std::string path_;
};
