#pragma once
// Writes the local time as "06/12 14:05:09" (day/month hours:minutes:seconds)
// for log lines; writes nothing when the clock cannot be read or converted.
#include <ostream>

std::ostream& timestamp(std::ostream& out);
