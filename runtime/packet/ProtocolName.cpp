#include "runtime/packet/ProtocolName.h"

#include <cstring>

namespace {

char* copy_of(char const* text)
{
    std::size_t size = std::strlen(text) + 1;
    char* copy = new char[size];
    std::memcpy(copy, text, size);
    return copy;
}

} // namespace

Protocol_name_str::Protocol_name_str(char const* text) : text_(copy_of(text ? text : "(no name)")) {}

Protocol_name_str::Protocol_name_str(Protocol_name_str const& other) : Protocol_name(), text_(copy_of(other.text_)) {}

Protocol_name_str::~Protocol_name_str() { delete[] text_; }

bool Protocol_name_str::compare(Protocol_name const& other) const
{
    return other.kind() == 1 && std::strcmp(text_, other.name()) == 0;
}
