#pragma once
// The receiver of an echoing message connection: every message that arrives
// goes back to the peer as it is. Used by the TPKT echo program and the
// connection benchmark; the connection is not owned.
#include "runtime/link/ControlService.h"

class EchoReceiver : public Control::Notify {
public:
    explicit EchoReceiver(Control::Service& link) : link_(link) {}
    void OnConnect() override {}
    void OnDisconnect() override {}
    void OnMessage(char const* data, int len) override { link_.Send(data, len); }

private:
    Control::Service& link_;
};
