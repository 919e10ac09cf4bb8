#pragma once
// The text of a poll event mask for the status dump: the names of the bits
// set, in bit order, joined by '|' ("POLLIN|POLLOUT"); empty for 0.
#include <string>

std::string PollEventAsText(short events);
