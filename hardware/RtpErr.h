#pragma once
// An RTP driver failure for a log line: the code of the failing operation
// and the errno of the moment it was made, kept so that later calls cannot
// change what is printed.
#include <iosfwd>

struct RtpErr {
    explicit RtpErr(int code);
    // The strerror text of the saved errno.
    void Put(std::ostream& out) const;

    int saved_errno;
    int code;
};

std::ostream& operator<<(std::ostream& out, RtpErr const& error);
