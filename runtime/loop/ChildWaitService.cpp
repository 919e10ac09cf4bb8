#include "runtime/loop/ChildWaitService.h"

#include "runtime/loop/Signal.h"

#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstring>
#include <iostream>
#include <poll.h>
#include <sys/socket.h>
#include <sys/wait.h>

ChildWaitService* ChildWaitService::childWaitService;

namespace {

// One exit as it travels through the socket pair, in host byte order.
struct ExitRecord {
    int32_t pid;
    int32_t status;
};
static_assert(sizeof(ExitRecord) == 8, "an exit record is two 32-bit words");

// The status waitpid would return for the exit waitid describes.
int waitStatusOf(siginfo_t const& info)
{
    switch (info.si_code) {
    case CLD_EXITED:
        return (info.si_status & 0xff) << 8;
    case CLD_DUMPED:
        return (info.si_status & 0x7f) | 0x80;
    default:
        return info.si_status & 0x7f;
    }
}

// Blocks SIGCHLD while the main loop reaps, so the handler cannot run in
// the middle.
class SigChldBlock {
public:
    SigChldBlock()
    {
        sigset_t set;
        sigemptyset(&set);
        sigaddset(&set, SIGCHLD);
        sigprocmask(SIG_BLOCK, &set, &saved_);
    }
    ~SigChldBlock() { sigprocmask(SIG_SETMASK, &saved_, nullptr); }
    SigChldBlock(SigChldBlock const&) = delete;
    SigChldBlock& operator=(SigChldBlock const&) = delete;

private:
    sigset_t saved_;
};

} // namespace

bool ChildWaitService::activate()
{
    if (writeEnd_)
        return true;
    int ends[2];
    if (::socketpair(AF_UNIX, SOCK_DGRAM, 0, ends) != 0) {
        std::cerr << "ChildWaitService: initialize fails" << std::endl;
        return false;
    }
    SetCloexec(ends[0], true);
    writeEnd_ = Fd(ends[0]);
    Bind("ChildWaitService::OnChildEvent", &ChildWaitService::OnChildEvent, this);
    Fd readEnd(ends[1]);
    SetCloexec(readEnd.get(), true);
    readEnd.NonBlock();
    Schedule(readEnd, POLLIN);
    IPC::Signal::handle(SIGCHLD, &ChildWaitService::SigChldHandlerWrapper, SA_RESTART);
    return true;
}

void ChildWaitService::SigChldHandlerWrapper(int)
{
    int savedErrno = errno;
    if (ChildWaitService* service = childWaitService)
        service->reapExited();
    errno = savedErrno;
}

// Sends the record of every exited child and reaps it. A child is reaped
// only after its record went out, and the send never blocks: when the queue
// is full the child stays a zombie until OnChildEvent has emptied the queue
// and calls this again, so no exit is lost.
void ChildWaitService::reapExited()
{
    for (;;) {
        siginfo_t info;
        std::memset(&info, 0, sizeof info);
        if (::waitid(P_ALL, 0, &info, WEXITED | WNOHANG | WNOWAIT) != 0 || info.si_pid <= 0)
            return;
        int fd = writeEnd_.get();
        if (fd >= 0) {
            ExitRecord record{info.si_pid, waitStatusOf(info)};
            ssize_t sent = ::send(fd, &record, sizeof record, MSG_DONTWAIT | MSG_NOSIGNAL);
            if (sent < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == ENOBUFS))
                return;
        }
        int status;
        if (::waitpid(info.si_pid, &status, WNOHANG) != info.si_pid)
            return;
    }
}

void ChildWaitService::OnChildEvent(int fd, short revents)
{
    if (!(revents & POLLIN))
        return;
    ExitRecord record;
    while (::recv(fd, &record, sizeof record, 0) == static_cast<ssize_t>(sizeof record))
        deliver(record.pid, record.status);
    SigChldBlock block;
    reapExited();
}

void ChildWaitService::deliver(int pid, int status)
{
    std::clog << "terminate child process, pid=" << pid << " status=" << status << std::endl;
    for (ChildWait* waiter : waiters_) {
        if (waiter->pid_ == pid) {
            waiters_.remove(waiter);
            waiter->listed_ = false;
            waiter->handler_->Invoke(*waiter, status);
            return;
        }
    }
}
