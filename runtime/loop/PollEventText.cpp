#include "runtime/loop/PollEventText.h"

std::string PollEventAsText(short events)
{
    // Bit n of the mask is names[n]: POLLIN 1, POLLPRI 2, ... POLLMSG 1024.
    static char const* const names[] = {"POLLIN",     "POLLPRI",    "POLLOUT",    "POLLERR",
                                        "POLLHUP",    "POLLNVAL",   "POLLRDNORM", "POLLRDBAND",
                                        "POLLWRNORM", "POLLWRBAND", "POLLMSG"};
    std::string text;
    for (unsigned bit = 0; bit < sizeof names / sizeof names[0]; ++bit)
        if (static_cast<unsigned short>(events) & (1u << bit))
            text += std::string("|") + names[bit];
    return text.empty() ? text : text.substr(1);
}
