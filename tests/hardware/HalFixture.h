#pragma once
// The simulated board with its "/dev/hal" installed for one test, with the
// request log as text, and a fixture that adds a control server with a
// controller on a loopback link, the test clock and captured log streams.
#include "hardware/device/BoardDevices.h"
#include "sim/HalDevice.h"
#include "sim/SimulatedBoard.h"
#include "support/ControllerLoopback.h"
#include "support/LoopStepper.h"
#include "support/ProtocolTestSupport.h"

#include <gtest/gtest.h>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

using Strings = std::vector<std::string>;

class HalBoard {
public:
    HalBoard() : hal(static_cast<Sim::HalDevice&>(board.add(std::make_unique<Sim::HalDevice>())))
    {
        Board::install(&board);
    }
    ~HalBoard() { Board::install(nullptr); }

    // "/dev/hal" requests since the last clear, as "connect output=8200 source=5 -> 0".
    Strings requests(std::string const& name = "") const
    {
        Strings lines;
        for (auto const& entry : board.log_of("/dev/hal", name)) {
            std::ostringstream line;
            line << entry;
            lines.push_back(line.str().substr(entry.device.size() + 1));
        }
        return lines;
    }

    Sim::SimulatedBoard board;
    Sim::HalDevice& hal;
};

// Lines of a captured stream.
inline Strings linesOf(std::string const& text)
{
    Strings lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

class HalServiceTest : public ::testing::Test {
protected:
    // A service that lives as long as the fixture (after the server is gone).
    template <class T, class... Args>
    T& make(Args&&... args)
    {
        services_.push_back(std::make_unique<T>(std::forward<Args>(args)...));
        return static_cast<T&>(*services_.back());
    }

    // Binds the services in order and connects a controller.
    void connect(std::vector<CtrlSrv::Service*> services)
    {
        for (CtrlSrv::Service* service : services)
            server_.Bind(service);
        link_ = new ctrltest::LoopbackLink;
        ASSERT_TRUE(server_.Activate(link_));
        link_->connectController();
    }

    void deliver(std::string const& text)
    {
        std::vector<char> bytes = ctrltest::encode(ctrltest::readMessage(text));
        server_.OnMessage(bytes.data(), static_cast<int>(bytes.size()));
    }

    Strings received() { return link_->received(); }

    LoopStepper loop_;
    HalBoard board_;
    Sim::HalDevice& hal_ = board_.hal;
    StreamCapture log_{std::clog};
    StreamCapture errors_{std::cerr};
    std::vector<std::unique_ptr<CtrlSrv::Service>> services_;
    CtrlSrv::Server server_;
    ctrltest::LoopbackLink* link_ = nullptr;
};
