#pragma once
// Helpers of the message-connection tests: a receiver that records what it
// is told; the test's TCP peers are a TcpListener and TpktClients.
#include "runtime/link/ControlService.h"

#include "support/ProtocolTestSupport.h"
#include "support/TpktClient.h"

#include <functional>
#include <string>
#include <vector>

// Records "connect", "disconnect" (each with the link's state at that
// moment) and "message <hex>"; an optional action runs after each record.
class RecordingNotify : public Control::Notify {
public:
    explicit RecordingNotify(Control::Service& link) : link_(link) {}
    void OnConnect() override { record("connect " + std::string(Control::GetTextNotation(link_.state()))); }
    void OnDisconnect() override { record("disconnect " + std::string(Control::GetTextNotation(link_.state()))); }
    void OnMessage(char const* data, int len) override
    {
        record("message " + packet_of(std::vector<unsigned char>(data, data + len)).text());
    }
    int count(std::string const& prefix) const
    {
        int n = 0;
        for (auto const& e : events)
            n += e.compare(0, prefix.size(), prefix) == 0;
        return n;
    }

    std::vector<std::string> events;
    std::function<void(std::string const&)> action;

private:
    void record(std::string const& event)
    {
        events.push_back(event);
        if (action)
            action(event);
    }
    Control::Service& link_;
};
