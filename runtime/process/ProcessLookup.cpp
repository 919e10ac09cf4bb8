#include "runtime/process/ProcessLookup.h"

#include "runtime/base/RootPath.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

namespace {

bool commandIs(char const* name, int pid)
{
    char path[32];
    std::snprintf(path, sizeof path, "/proc/%d/stat", pid);
    int fd = ::open(rootPath(path).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    char text[256] = {};
    ssize_t n = ::read(fd, text, sizeof text - 1);
    ::close(fd);
    if (n <= 0)
        return false;
    text[n] = '\0';

    // "pid (comm) state ...": the command may itself hold parentheses, so
    // it ends at the last ')'. A text without both is no match.
    char* close = std::strrchr(text, ')');
    if (!close)
        return false;
    *close = '\0';
    char* open = std::strchr(text, '(');
    return open && std::strcmp(open + 1, name) == 0;
}

int entryPid(char const* entry)
{
    char* end = nullptr;
    long number = std::strtol(entry, &end, 10);
    if (end == entry || *end != '\0' || number <= 0 || number > 0x7fffffffL)
        return 0;
    return static_cast<int>(number);
}

} // namespace

int find_proc_by_name(char const* name, int pid)
{
    if (pid > 0 && commandIs(name, pid))
        return pid;

    DIR* proc = ::opendir(rootPath("/proc").c_str());
    if (!proc)
        return -1;
    int found = -1;
    // The 64-bit form: on a 32-bit system the plain one stops at the first
    // entry whose inode number does not fit in 32 bits.
    while (dirent64* entry = ::readdir64(proc)) {
        int candidate = entryPid(entry->d_name);
        if (candidate > 0 && commandIs(name, candidate)) {
            found = candidate;
            break;
        }
    }
    ::closedir(proc);
    return found;
}
