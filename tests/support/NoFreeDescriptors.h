#pragma once
// Leaves the process no free descriptor while it lives: the soft limit is
// lowered and every descriptor below it taken, so the next socket or open
// fails with EMFILE. The destructor gives everything back.
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <vector>

class NoFreeDescriptors {
public:
    NoFreeDescriptors()
    {
        getrlimit(RLIMIT_NOFILE, &saved_);
        rlimit low = saved_;
        low.rlim_cur = 64;
        setrlimit(RLIMIT_NOFILE, &low);
        for (int fd; (fd = fcntl(0, F_DUPFD_CLOEXEC, 0)) >= 0;)
            taken_.push_back(fd);
    }
    ~NoFreeDescriptors()
    {
        for (int fd : taken_)
            close(fd);
        setrlimit(RLIMIT_NOFILE, &saved_);
    }

    NoFreeDescriptors(NoFreeDescriptors const&) = delete;
    NoFreeDescriptors& operator=(NoFreeDescriptors const&) = delete;

private:
    rlimit saved_;
    std::vector<int> taken_;
};
