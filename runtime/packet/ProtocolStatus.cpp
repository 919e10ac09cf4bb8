#include "runtime/packet/ProtocolStatus.h"

#include <ostream>

void Protocol_status_text::out(std::ostream& os) const { os << text_; }
