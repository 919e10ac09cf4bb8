#include "runtime/loop/ChildWait.h"

#include "runtime/loop/ChildWaitService.h"

namespace {
unsigned usageCount;
}

ChildWait::UsageCounter::UsageCounter()
{
    if (++usageCount == 1)
        ChildWait::Initialize();
}

ChildWait::UsageCounter::~UsageCounter()
{
    if (--usageCount == 0)
        ChildWait::Cleanup();
}

ChildWait::~ChildWait()
{
    handler_->~Handler();
    Detach();
}

void ChildWait::Initialize()
{
    if (!ChildWaitService::childWaitService)
        ChildWaitService::childWaitService = new ChildWaitService;
}

void ChildWait::Cleanup()
{
    ChildWaitService* service = ChildWaitService::childWaitService;
    // Cleared first: the SIGCHLD handler must not see a dying service.
    ChildWaitService::childWaitService = nullptr;
    delete service;
}

void ChildWait::Activate()
{
    if (ChildWaitService* service = ChildWaitService::childWaitService)
        service->activate();
}

void ChildWait::Attach(int pid)
{
    pid_ = pid;
    ChildWaitService* service = ChildWaitService::childWaitService;
    if (!service)
        return;
    if (listed_)
        service->waiters().remove(this);
    service->waiters().push_back(this);
    listed_ = true;
}

void ChildWait::Detach()
{
    ChildWaitService* service = ChildWaitService::childWaitService;
    if (service && listed_) {
        service->waiters().remove(this);
        listed_ = false;
    }
}
