#pragma once
// Turns SIGCHLD into callbacks on the main loop. The SIGCHLD handler reaps
// every exited child of the process and sends one record {pid, wait status}
// per child as a datagram through a socket pair; the service's Event reads
// the records, logs each exit and hands it to the first waiter attached with
// that pid. One instance, created and deleted through ChildWait.
#include "runtime/loop/ChildWait.h"
#include "runtime/loop/Event.h"
#include "runtime/base/F_dual_list.h"
#include "runtime/base/Fd.h"

class ChildWaitService : public Event {
public:
    static ChildWaitService* childWaitService;

    ChildWaitService() = default;

    // Creates the socket pair, watches its read end and installs the SIGCHLD
    // handler; false (with a message) when the socket pair fails.
    bool activate();
    void OnChildEvent(int fd, short revents);
    static void SigChldHandlerWrapper(int sig);

    F_dual_list<ChildWait>& waiters() { return waiters_; }

private:
    void reapExited();
    void deliver(int pid, int status);

    Fd writeEnd_;
    F_dual_list<ChildWait> waiters_;
};
