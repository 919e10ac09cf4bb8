#pragma once
// The status dump that SIGUSR2 asks for: the file "/var/log/server-status"
// (under the server root) is rewritten with a banner line, the version and
// the main loop's dump of its handlers, timers and timing statistics.
#include <iosfwd>
#include <string>

class StatusDump {
public:
    // Writes the dump to out.
    static void write(std::ostream& out);
    // Rewrites the file; false, with a line on the error stream, when it
    // cannot be written.
    static bool writeFile();
    static std::string path();
};
