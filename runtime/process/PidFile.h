#pragma once
// Linux::Run marks the running server with a pid file, "/var/run/" + name +
// ".pid" (under the server root), for the lifetime of the object. The file
// holds the process id in decimal with nothing after it. The start-up code
// makes the object after any detach into daemon mode, so the file names the
// final process. Every failure is silent: a file that could not be made is
// simply absent.
#include <string>

namespace Linux {

class Run {
public:
    explicit Run(char const* name);
    // Removes the file, but only when this object made it and it still
    // holds this process's id: a second server started under the same
    // name has taken it over, and its file must stay.
    ~Run();
    Run(Run const&) = delete;
    Run& operator=(Run const&) = delete;

    std::string const& path() const { return path_; }

private:
    int fd_;
    std::string path_;
};

} // namespace Linux
