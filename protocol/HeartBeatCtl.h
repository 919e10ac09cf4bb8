#pragma once
// The heartbeat on the controller's commands, bound first to the control
// server: it answers `ping`, and when 120000 ms pass after a command
// without another one it drops the control connection, so that the
// acceptor can take a controller that restarted. A controller that
// connected but never sent a command is not dropped. One instance, made on
// first use.
#include "protocol/CtrlSrvService.h"
#include "runtime/loop/Multiplexer.h"
#include "runtime/loop/Timer.h"

#include <iosfwd>

class HeartBeatCtl : public CtrlSrv::Service {
public:
    static unsigned const timeoutMs = 120000;

    static HeartBeatCtl& instance();

    HeartBeatCtl() = default;
    ~HeartBeatCtl() override;

    void OnConnect() override;
    void OnDisconnect() override;
    // Every command offered restarts the timeout; `ping` is answered.
    bool OnCommand(ZUZU::Command const& command) override;

    void ResetTimeOut();
    // True while a timeout is pending.
    bool watching() const { return !timeout_.empty(); }
    void OnHeartbeatTimeout(Timer*);

    // "heartbeat: "
    void PutHeader(std::ostream& out) const;

private:
    Timer timeout_;
};
