#pragma once
// The controller's end of the control link for end-to-end tests: frames of
// hand-written payload bytes go out, and the payloads of the frames the
// server sends come back as hex text.
#include "support/ServerUnderTest.h"
#include "support/TpktClient.h"

#include <cstdint>
#include <string>
#include <vector>

namespace e2e {

using Bytes = std::vector<char>;

class ControllerLink {
public:
    // Connects, retrying while the server is not listening yet.
    bool connect(unsigned short port, milliseconds limit = patience(milliseconds(10000)))
    {
        return eventually([&] { return client_.connect("127.0.0.1", port); }, limit);
    }

    // Connects and pings until the server answers: a connection made
    // before the server noticed the end of the previous controller is
    // refused. What the server sent before the answer (the signals of the
    // services that report at connect) is kept in `early`.
    bool connectServed(unsigned short port, milliseconds limit = patience(milliseconds(10000)))
    {
        return eventually(
            [&] {
                early.clear();
                if (!client_.connect("127.0.0.1", port) || !send(bytes_of<char>("06 00")))
                    return false;
                auto const deadline = Clock::now() + milliseconds(500);
                for (;;) {
                    auto left = std::chrono::duration_cast<milliseconds>(deadline - Clock::now());
                    std::string got = receive(left.count() > 0 ? left : milliseconds(0));
                    if (got == "10")
                        return true;
                    if (got.empty() || got == "closed" || got.rfind("malformed", 0) == 0)
                        return false;
                    early.push_back(got);
                }
            },
            limit);
    }
    std::vector<std::string> early;

    void close() { client_.close(); }
    bool write(Bytes const& data) { return client_.send(data); }
    bool send(Bytes const& payload) { return client_.sendFrame(payload); }

    // The payload of the next frame as hex text; "" when none arrives in
    // time, "closed" when the server closed the connection, "malformed: "
    // and the bytes when they are no TPKT frame.
    std::string receive(milliseconds limit = patience(milliseconds(5000)))
    {
        Bytes payload;
        switch (client_.receiveFrame(payload, static_cast<int>(limit.count()))) {
        case TpktClient::frame:
            return hexText(payload);
        case TpktClient::closed:
            return "closed";
        case TpktClient::malformed:
            return "malformed: " + hexText(client_.unread());
        case TpktClient::timeout:
            break;
        }
        return "";
    }

    // True when the server closes the connection within the limit; frames
    // that arrive meanwhile are skipped.
    bool closedByServer(milliseconds limit = patience(milliseconds(5000)))
    {
        auto deadline = Clock::now() + limit;
        for (;;) {
            auto left = std::chrono::duration_cast<milliseconds>(deadline - Clock::now());
            if (left.count() <= 0)
                return false;
            std::string got = receive(left);
            if (got == "closed")
                return true;
            if (got.empty())
                return false;
        }
    }

private:
    TpktClient client_;
};

} // namespace e2e
