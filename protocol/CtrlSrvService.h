#pragma once
// The base of every component that serves the controller: bound once to the
// control server at start-up, it is offered each command in bind order and
// owns the commands for which OnCommand returns true. Its operations answer
// the command in hand, send signals (which every other bound service sees
// first) and put off an answer until later. The service does not own the
// server, and it stays bound for the life of the process.
#include "protocol/schemas/ZUZU.h"

namespace CtrlSrv {

class Server;

// What a later answer must echo of the command that was put off: its
// sequence number and slot number, each only when the command carried one.
struct DelayedAnswer {
    bool hasSeq = false;
    int seq = 0;
    bool hasSlot = false;
    unsigned slot = 0;
};

class Service {
public:
    virtual ~Service() = default;

    virtual void OnConnect() = 0;
    virtual void OnDisconnect() = 0;
    // True when the service owns the command; it answers it (or puts the
    // answer off) before returning.
    virtual bool OnCommand(ZUZU::Command const& command) = 0;
    // A signal that another bound service sends to the controller.
    virtual void OnSignal(ZUZU::Signal const& signal);

    // The operations below write "CtrlSrv::Service error! service not
    // connected to server." and do nothing while the service is unbound.
    void Success();
    void Error(ZUZU::ErrorCause::NamedNumber cause);
    // Hands the signal to every other bound service, then sends it with the
    // slot number of the command in hand, if any.
    void SendSignal(ZUZU::Signal const& signal);
    // The same with the given slot number.
    void SendSignal(unsigned slot, ZUZU::Signal const& signal);
    // The slot number of the command in hand, -1 when it had none.
    int GetSlot() const;
    bool IsSlotPresent() const;
    // Marks the command in hand as answered later and returns what the
    // answer must echo.
    DelayedAnswer delayResponse();
    void delayedSuccess(DelayedAnswer const& answer);
    void delayedError(DelayedAnswer const& answer, ZUZU::ErrorCause::NamedNumber cause);
    // False when unbound (silently); otherwise whether the server has a
    // connection object, with connected telling whether a controller is on.
    bool CheckServerConnection(bool& connected) const;

protected:
    Server* server() const { return server_; }

private:
    friend class Server;

    bool bound() const;

    Server* server_ = nullptr;
};

} // namespace CtrlSrv
