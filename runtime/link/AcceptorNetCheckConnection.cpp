#include "runtime/link/AcceptorNetCheckConnection.h"

#include <cerrno>
#include <cstring>
#include <iostream>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

namespace Control {

namespace {

// The Linux tcp_info record up to its reordering field; only its first two
// bytes are read: the TCP state and the congestion-avoidance state.
constexpr socklen_t tcp_info_size = 92;
constexpr unsigned char tcp_state_established = 1;
constexpr unsigned char ca_state_open = 0;

void setOption(int fd, int level, int name, int value)
{
    setsockopt(fd, level, name, &value, sizeof value);
}

} // namespace

AcceptorNetCheckConnection::AcceptorNetCheckConnection() = default;
AcceptorNetCheckConnection::AcceptorNetCheckConnection(int port) : AcceptorNet(port) {}
AcceptorNetCheckConnection::AcceptorNetCheckConnection(int port, bool verbose) : AcceptorNet(port, verbose) {}

AcceptorNetCheckConnection::~AcceptorNetCheckConnection() = default;

bool AcceptorNetCheckConnection::ImplActivate()
{
    if (!AcceptorNet::ImplActivate())
        RetryListenerLater();
    // A listener that failed for good has deactivated the link.
    if (state() != State::Idle)
        CheckConnection();
    return true;
}

void AcceptorNetCheckConnection::ImplDeactivate()
{
    checkTimer_.reset();
    AcceptorNet::ImplDeactivate();
}

void AcceptorNetCheckConnection::ImplConnected(Fd socket) { checkFd_ = std::move(socket); }

void AcceptorNetCheckConnection::ImplConnectionLost()
{
    // Closing the duplicate too lets the peer see the connection closed
    // instead of a socket left behind in CLOSE-WAIT.
    checkFd_.close();
    checkState_ = CheckState::Idle;
    caStateCountdown_ = 0;
}

void AcceptorNetCheckConnection::ImplRefuseConnection()
{
    if (checkState_ != CheckState::Idle)
        return;
    checkState_ = CheckState::CheckConnection;
    caStateCountdown_ = 2;
    SetupKeepAlive(true);
    if (verbose())
        std::cerr << "CheckConnectionState CheckConnection" << std::endl;
}

void AcceptorNetCheckConnection::SetupKeepAlive(bool fast)
{
    int const fd = checkFd_.get();
    setOption(fd, SOL_SOCKET, SO_KEEPALIVE, 1);
    setOption(fd, IPPROTO_TCP, TCP_KEEPIDLE, fast ? 1 : 7200);
    setOption(fd, IPPROTO_TCP, TCP_KEEPINTVL, fast ? 1 : 75);
    setOption(fd, IPPROTO_TCP, TCP_KEEPCNT, fast ? 3 : 9);
}

void AcceptorNetCheckConnection::OnCheckConnectionTimeout(Timer*) { CheckConnection(); }

void AcceptorNetCheckConnection::EndWatch()
{
    checkState_ = CheckState::Idle;
    SetupKeepAlive(false);
}

void AcceptorNetCheckConnection::CheckConnection()
{
    if (state() == State::Connected) {
        bool close = false;
        unsigned char info[tcp_info_size] = {};
        socklen_t size = sizeof info;
        // A shorter answer is no tcp_info record (an emulator may hand back
        // only its first word, in its own byte order).
        if (getsockopt(checkFd_.get(), IPPROTO_TCP, TCP_INFO, info, &size) == 0 && size == tcp_info_size) {
            unsigned char const tcpState = info[0];
            unsigned char const caState = info[1];
            if (tcpState != tcp_state_established) {
                if (verbose())
                    std::cerr << "connection from " << peerName() << " closed: tcp socket change state." << std::endl;
                close = true;
            }
            if (checkState_ == CheckState::CheckConnection) {
                if (caState == ca_state_open) {
                    EndWatch();
                    if (verbose())
                        std::cerr << "CheckConnectionState Idle" << std::endl;
                } else {
                    if (caStateCountdown_ > 0)
                        --caStateCountdown_;
                    if (caStateCountdown_ <= 0) {
                        if (verbose())
                            std::cerr << "connection from " << peerName() << " closed: tcp socket change ca_state."
                                      << std::endl;
                        close = true;
                    }
                }
            }
        }
        int error = 0;
        socklen_t errorSize = sizeof error;
        if (getsockopt(checkFd_.get(), SOL_SOCKET, SO_ERROR, &error, &errorSize) < 0)
            error = errno;
        if (error != 0) {
            if (verbose())
                std::cerr << "connection from " << peerName() << " closed: " << std::strerror(error) << std::endl;
            close = true;
        }
        if (close) {
            EndWatch();
            Disconnect();
            if (verbose())
                std::cerr << "CheckConnectionState Idle" << std::endl;
        }
    }
    checkTimer_.set(check_interval_ms, &AcceptorNetCheckConnection::OnCheckConnectionTimeout, this);
}

} // namespace Control
