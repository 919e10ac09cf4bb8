#pragma once
// A device model wrapped so that a test sees every request exactly as the
// front end sent it: the request number, the record's bytes (or the value)
// and the loop time. The wrapped model still answers. Below it, the fixture
// of a front end's tests: a simulated board with the tapped model installed
// and a loop stepper on a test clock.
#include "hardware/device/BoardDevices.h"
#include "runtime/base/MuxTime.h"
#include "sim/SimDevice.h"
#include "sim/SimulatedBoard.h"
#include "support/LoopStepper.h"
#include "support/StreamCapture.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

template <class Model>
class DeviceTap final : public Sim::Device {
public:
    struct Call {
        unsigned long code;
        std::vector<std::uint8_t> bytes; // the record, empty for a value or no argument
        unsigned long value;
        std::uint32_t ms;
    };

    Model model;
    std::vector<Call> calls;

    std::vector<Call> calls_of(unsigned long code) const
    {
        std::vector<Call> found;
        for (auto const& call : calls)
            if (call.code == code)
                found.push_back(call);
        return found;
    }

    char const* path() const override { return model.path(); }
    std::string name() const override { return model.name(); }
    void describe(unsigned long code, std::uint8_t const* record, std::size_t size,
                  Sim::RequestNote& note) const override
    {
        model.describe(code, record, size, note);
    }
    void describe_value(unsigned long code, unsigned long value, Sim::RequestNote& note) const override
    {
        model.describe_value(code, value, note);
    }
    void describe_none(unsigned long code, Sim::RequestNote& note) const override { model.describe_none(code, note); }
    int opened(Sim::Open& open) override { return model.opened(open); }
    void closed(Sim::Open& open) override { model.closed(open); }
    int request(Sim::Open& open, unsigned long code, std::uint8_t* record, std::size_t size,
                Sim::RequestNote& note) override
    {
        calls.push_back({code, std::vector<std::uint8_t>(record, record + size), 0, Mux::milliseconds()});
        return model.request(open, code, record, size, note);
    }
    int request_value(Sim::Open& open, unsigned long code, unsigned long value, Sim::RequestNote& note) override
    {
        calls.push_back({code, {}, value, Mux::milliseconds()});
        return model.request_value(open, code, value, note);
    }
    int request_none(Sim::Open& open, unsigned long code, Sim::RequestNote& note) override
    {
        calls.push_back({code, {}, 0, Mux::milliseconds()});
        return model.request_none(open, code, note);
    }
    ssize_t read(Sim::Open& open, void* buffer, std::size_t size) override { return model.read(open, buffer, size); }
    bool readable(Sim::Open const& open) const override { return model.readable(open); }
    bool control(std::vector<std::string> const& words, std::ostream& reply) override
    {
        return model.control(words, reply);
    }
};

// Bytes from 32-bit big-endian words, for expected records.
inline std::vector<std::uint8_t> be32s(std::initializer_list<std::uint32_t> words)
{
    std::vector<std::uint8_t> bytes;
    for (std::uint32_t w : words)
        for (int shift = 24; shift >= 0; shift -= 8)
            bytes.push_back(static_cast<std::uint8_t>(w >> shift));
    return bytes;
}

// Service is the front end's singleton; it is released after each test so
// that the next one starts with a fresh device and id counter.
template <class Model, class Service>
class TappedDevice : public ::testing::Test {
protected:
    using Tap = DeviceTap<Model>;

    TappedDevice()
    {
        tap = &static_cast<Tap&>(board.add(std::make_unique<Tap>()));
        Board::install(&board);
    }
    ~TappedDevice() override
    {
        Service::release();
        Board::install(nullptr);
    }

    Service& service() { return Service::instance(); }
    // Serves the events the model has queued.
    void deliver()
    {
        board.refresh();
        stepper.pass();
    }
    // The device hangs up and the front end closes it (its lines swallowed).
    void hangUp()
    {
        board.break_opens(tap->path());
        StreamCapture err(std::cerr);
        deliver();
    }
    // The model's requests since the last call as the board logged them
    // ("DSPROC_ENABLE ts=3 id=1 mask=1 -> 0"), opens left out.
    std::vector<std::string> logged()
    {
        std::vector<std::string> lines;
        for (auto const& entry : board.log()) {
            if (entry.device != tap->path() || entry.request == "open")
                continue;
            std::ostringstream line;
            line << entry;
            lines.push_back(line.str().substr(entry.device.size() + 1));
        }
        board.clear_log();
        return lines;
    }

    LoopStepper stepper;
    Sim::SimulatedBoard board;
    Tap* tap = nullptr;
};
