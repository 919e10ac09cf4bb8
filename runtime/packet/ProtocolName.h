#pragma once
// Names by which protocol layers can be looked up in a stack, and the base
// that gives every layer a name. The null name matches any other null name;
// a text name matches a text name with the same characters.
#include <iosfwd>

class Protocol_name {
public:
    virtual ~Protocol_name() = default;
    virtual int kind() const = 0;
    virtual char const* name() const = 0;
    virtual bool compare(Protocol_name const& other) const = 0;
};

class Protocol_name_null : public Protocol_name {
public:
    int kind() const override { return 0; }
    char const* name() const override { return "(no name)"; }
    bool compare(Protocol_name const& other) const override { return other.kind() == 0; }
};

// Keeps its own copy of the text; a null text becomes "(no name)".
class Protocol_name_str : public Protocol_name {
public:
    explicit Protocol_name_str(char const* text);
    Protocol_name_str(Protocol_name_str const& other);
    Protocol_name_str& operator=(Protocol_name_str const&) = delete;
    ~Protocol_name_str() override;

    int kind() const override { return 1; }
    char const* name() const override { return text_; }
    bool compare(Protocol_name const& other) const override;

private:
    char* text_;
};

class Protocol_info {
public:
    virtual ~Protocol_info() = default;
    // True when this layer answers to the name; no layer does unless it
    // says so.
    virtual bool compare_name(Protocol_name const&) const { return false; }
    virtual Protocol_name const& name() const { return name_; }

private:
    Protocol_name_null name_;
};
