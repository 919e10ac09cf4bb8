#pragma once
// Helpers of the protocol-layer tests: packets from hexadecimal text and an
// owner that records what leaves the top or bottom of its stack.
#include "runtime/packet/ProtocolsList.h"

#include "support/HexText.h"
#include "support/StreamCapture.h"

#include <cstdlib>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

inline Packet packet_of(std::vector<unsigned char> const& bytes, unsigned head = 0)
{
    Packet p;
    p.reserve_head(head);
    p.append(bytes.data(), static_cast<unsigned>(bytes.size()));
    return p;
}

inline Packet packet_of(std::string const& hex, unsigned head = 0) { return packet_of(bytes_of(hex), head); }

// The owner of a stack: records payloads handed up, packets handed down
// past the lowest layer, activations and deactivation statuses.
class RecordingOwner : public ProtocolsList {
public:
    void transmit(Packet& p) override { sent.push_back(p.text()); }
    void on_message(Packet& p) override
    {
        received.push_back(p.text());
        received_lengths.push_back(p.length());
    }
    void on_activated(Protocol*) override { ++activations; }
    void on_deactivated(Protocol*, Protocol_status s) override
    {
        statuses.push_back(std::string(s.get()->success() ? "ok " : "error ") + s.get()->message());
    }

    std::vector<std::string> sent;
    std::vector<std::string> received;
    std::vector<unsigned> received_lengths;
    std::vector<std::string> statuses;
    int activations = 0;
};

