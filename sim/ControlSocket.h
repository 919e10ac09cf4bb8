#pragma once
// The simulator's control socket: a Unix stream socket through which tests
// and people script the simulated board while the server runs. Each line a
// client sends is run through SimulatedBoard::control and the reply, which
// always ends with a line "ok" or "error: ...", is written back.
//
// Everything is served on the main loop and nothing blocks it: several
// clients may be connected at once (up to maxClients), each with its own
// input and output buffers. A line longer than maxLine bytes is answered
// "error: line too long" and skipped up to its end. A client that does not
// read its replies is no longer read from once its unsent output passes
// outputHold, and is dropped when it passes outputLimit.
#include "runtime/base/Fd.h"
#include "runtime/loop/Event.h"

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace Sim {

class SimulatedBoard;

class ControlSocket {
public:
    static constexpr std::size_t maxClients = 8;
    static constexpr std::size_t maxLine = 1024;
    static constexpr std::size_t outputHold = 64 * 1024;
    static constexpr std::size_t outputLimit = 16 * 1024 * 1024;

    explicit ControlSocket(SimulatedBoard& board);
    ~ControlSocket();
    ControlSocket(ControlSocket const&) = delete;
    ControlSocket& operator=(ControlSocket const&) = delete;

    // Listens at the real path socketPath (a stale socket there is
    // replaced). False, with the reason in error, when it cannot.
    bool listen(std::string const& socketPath, std::string& error);
    // Closes the listener and every client and removes the socket file.
    void close();

    std::string const& path() const { return path_; }
    std::size_t clients() const { return clients_.size(); }

private:
    struct Client;

    void onAccept(int fd, short revents);
    void onClient(Client& client, short revents);
    void readFrom(Client& client);
    void runLines(Client& client);
    void flush(Client& client);
    void watch(Client& client);
    void drop(Client& client);

    SimulatedBoard& board_;
    Event listener_;
    std::string path_;
    std::vector<std::unique_ptr<Client>> clients_;
};

} // namespace Sim
