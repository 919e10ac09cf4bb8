#include "protocol/HeartBeatCtl.h"

#include "protocol/CtrlSrvServer.h"

#include <iostream>

HeartBeatCtl& HeartBeatCtl::instance()
{
    static HeartBeatCtl heartbeat;
    return heartbeat;
}

HeartBeatCtl::~HeartBeatCtl()
{
    timeout_.reset();
}

void HeartBeatCtl::OnConnect() {}

void HeartBeatCtl::OnDisconnect()
{
    timeout_.reset();
}

bool HeartBeatCtl::OnCommand(ZUZU::Command const& command)
{
    ResetTimeOut();
    if (command.getSelection() != ZUZU::Command::ping)
        return false;
    Success();
    return true;
}

void HeartBeatCtl::ResetTimeOut()
{
    timeout_.set(timeoutMs, &HeartBeatCtl::OnHeartbeatTimeout, this);
}

void HeartBeatCtl::OnHeartbeatTimeout(Timer*)
{
    std::clog << "heartbeat timeout!!!" << std::endl;
    // The server this service is bound to: ctrlServer in the program.
    if (CtrlSrv::Server* bound = server())
        bound->OnHeartbeatTimeout();
}

void HeartBeatCtl::PutHeader(std::ostream& out) const
{
    out << "heartbeat: ";
}
