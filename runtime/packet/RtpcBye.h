#pragma once
// RTCP goodbye (BYE) for the message's own SSRC, with an optional reason
// text (cut to 255 bytes and to the room there is).
#include "runtime/packet/RtpcMsg.h"

#include <string>
#include <utility>

namespace RTPC {

class BYE : public Msg {
public:
    explicit BYE(std::uint32_t ssrc, std::string reason = std::string())
        : Msg(ssrc), reason_(std::move(reason)) {}

    unsigned pt() const override { return 203; }
    // One SSRC.
    unsigned count() const override { return 1; }
    // The SSRC, then, with a reason, its length byte, the text and zero
    // padding. Needs 4 bytes.
    int encode_body(char* buffer, unsigned size) const override;

    std::string const& reason() const { return reason_; }
    void set_reason(std::string reason) { reason_ = std::move(reason); }

private:
    std::string reason_;
};

} // namespace RTPC
