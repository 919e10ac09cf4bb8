#pragma once
// The receiver of a message connection (Control::Service): told when the
// peer connects, when the connection is gone and of each message that
// arrives. The component that owns a connection is usually its receiver;
// the connection keeps only a pointer and never deletes it. OnConnect and
// OnMessage run inside the connection's own code (its socket and timer
// callbacks, or Activate), so the receiver must not destroy the connection
// from there; from OnDisconnect it may.
namespace Control {

class Notify {
public:
    virtual ~Notify() {}
    // The peer is connected; messages may be sent.
    virtual void OnConnect() = 0;
    // The connection is gone. Never called from inside a socket callback:
    // the link is already back in its connecting state, so the receiver may
    // activate or deactivate it from here.
    virtual void OnDisconnect() = 0;
    // One received message; data is valid only during the call.
    virtual void OnMessage(char const* data, int len) = 0;
};

} // namespace Control
