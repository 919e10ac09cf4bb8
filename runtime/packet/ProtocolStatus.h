#pragma once
// The status that travels through a protocol stack when a link goes down:
// success for an ordered shutdown, error for a failure, each with a text and
// the layer that produced it. Statuses are shared through Smart_pointer and
// deleted by the last holder.
#include "runtime/base/SmartPointer.h"

#include <cstdint>
#include <iosfwd>
#include <string>
#include <utility>

class Protocol;

class Internal_protocol_status {
public:
    explicit Internal_protocol_status(Protocol* source) : source_(source) {}
    Internal_protocol_status(Internal_protocol_status const&) = delete;
    Internal_protocol_status& operator=(Internal_protocol_status const&) = delete;
    virtual ~Internal_protocol_status() = default;

    virtual bool success() const = 0;
    virtual std::string message() const = 0;
    virtual void out(std::ostream& os) const = 0;

    Protocol* source() const { return source_; }

private:
    template <class> friend class Smart_pointer;
    Protocol* source_;
    uint32_t ref_count = 0;
};

using Protocol_status = Smart_pointer<Internal_protocol_status>;

// A status that carries a text; `message` and `out` give it back.
class Protocol_status_text : public Internal_protocol_status {
public:
    Protocol_status_text(Protocol* source, std::string text)
        : Internal_protocol_status(source), text_(std::move(text)) {}
    std::string message() const override { return text_; }
    void out(std::ostream& os) const override;

private:
    std::string text_;
};

class Protocol_status_success : public Protocol_status_text {
public:
    using Protocol_status_text::Protocol_status_text;
    bool success() const override { return true; }
};

class Protocol_status_error : public Protocol_status_text {
public:
    using Protocol_status_text::Protocol_status_text;
    bool success() const override { return false; }
};

// The failed initialisation of a family that holds no layer.
class Protocol_initialize_error : public Protocol_status_error {
public:
    using Protocol_status_error::Protocol_status_error;
};
