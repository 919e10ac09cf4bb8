#include "runtime/process/SysLogManager.h"

#include "runtime/base/MuxTime.h"
#include "runtime/base/RootPath.h"

#include <algorithm>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <new>
#include <fcntl.h>
#include <unistd.h>

namespace {

// The client is never destroyed: the stream buffers of daemon mode stay
// installed until the process ends and may log from other objects'
// destructors at exit.
alignas(SysLogManager) unsigned char managerStorage[sizeof(SysLogManager)];

char const DefaultIdentity[] = "syslog-qx";
int const FacilityMask = 0x3f8;
int const FacilityUser = 8;

} // namespace

SysLogManager& syslogManager = *new (managerStorage) SysLogManager;

SysLogManager::SysLogManager()
    : socketType_(SOCK_DGRAM), identity_(DefaultIdentity), defaultFacility_(FacilityUser)
{
    std::memset(&address_, 0, sizeof address_);
}

SysLogManager::~SysLogManager() { closeSocket(); }

bool SysLogManager::prepareAddress()
{
    std::string path = rootPath("/dev/log");
    std::memset(&address_, 0, sizeof address_);
    address_.sun_family = AF_UNIX;
    if (path.size() >= sizeof address_.sun_path)
        return false;
    std::memcpy(address_.sun_path, path.c_str(), path.size());
    return true;
}

void SysLogManager::openlog(char const* ident, int options, int facility)
{
    if (ident)
        identity_ = ident;
    options_ = options;
    if (facility != 0 && (facility & ~FacilityMask) == 0)
        defaultFacility_ = facility;

    for (int attempt = 0; attempt < 2; ++attempt) {
        if (fd_ < 0) {
            if (!prepareAddress())
                return;
            if (options_ & OptionNoDelay) {
                fd_ = ::socket(AF_UNIX, socketType_ | SOCK_CLOEXEC, 0);
                if (fd_ < 0)
                    return;
            }
        }
        if (fd_ < 0 || connected_)
            return;
        if (::connect(fd_, reinterpret_cast<sockaddr const*>(&address_), sizeof address_) == 0) {
            connected_ = true;
            return;
        }
        int error = errno;
        closeSocket();
        if (error != EPROTOTYPE)
            return;
        socketType_ = socketType_ == SOCK_DGRAM ? SOCK_STREAM : SOCK_DGRAM;
    }
}

void SysLogManager::closelog()
{
    closeSocket();
    identity_ = DefaultIdentity;
    socketType_ = SOCK_DGRAM;
    dropBatch();
}

void SysLogManager::closeSocket()
{
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    connected_ = false;
}

void SysLogManager::syslog(int priority, char const* format, ...)
{
    if (!(mask_ & (1 << (priority & 7))))
        return;
    if ((priority & FacilityMask) == 0)
        priority |= defaultFacility_;

    // Every piece is cut to what is left of the buffer, so the record is at
    // most RecordSize - 1 bytes and always ends with its NUL.
    size_t length = 0;
    auto room = [&] { return sizeof record_ - length; };
    auto grow = [&](int written) {
        if (written > 0)
            length += std::min(static_cast<size_t>(written), room() - 1);
    };

    grow(std::snprintf(record_, room(), "<%d>", priority));
    time_t now = static_cast<time_t>(Mux::seconds());
    tm local;
    ::localtime_r(&now, &local);
    length += std::strftime(record_ + length, room(), "%h %e %T ", &local);
    size_t body = length;
    grow(std::snprintf(record_ + length, room(), "%s", identity_.c_str()));
    if (options_ & OptionPid)
        grow(std::snprintf(record_ + length, room(), "[%d]", static_cast<int>(::getpid())));
    if (!identity_.empty())
        grow(std::snprintf(record_ + length, room(), ": "));
    va_list args;
    va_start(args, format);
    grow(std::vsnprintf(record_ + length, room(), format, args));
    va_end(args);

    if (options_ & OptionStderr) {
        iovec parts[2] = {{record_ + body, length - body}, {const_cast<char*>("\n"), 1}};
        bool endsLine = length > body && record_[length - 1] == '\n';
        ssize_t ignored = ::writev(2, parts, endsLine ? 1 : 2);
        (void)ignored;
    }

    if (!connected_)
        openlog(nullptr, options_ | OptionNoDelay, 0);
    // A failed send has already been retried once after a reconnection
    // (see sendmsg); what could not be sent then is lost.
    int result = connected_ ? handOver(record_, length + 1) : -1;
    if (result < 0) {
        closeSocket();
        if (options_ & OptionConsole)
            toConsole(record_ + body, length - body);
    }
}

int SysLogManager::handOver(char const* record, size_t length)
{
    if (used_ + length >= sizeof batch_ || count_ >= MaxRecords)
        return -1;
    std::memcpy(batch_ + used_, record, length);
    entries_[count_].iov_base = batch_ + used_;
    entries_[count_].iov_len = length;
    used_ += length;
    ++count_;
    if (count_ >= MaxRecords || used_ > static_cast<size_t>(BatchSendThreshold))
        return sendmsg();
    return 0;
}

int SysLogManager::sendmsg()
{
    if (count_ == 0)
        return 0;
    if (fd_ < 0) {
        dropBatch();
        return 0;
    }
    int result = sendBatch();
    if (result < 0) {
        // The log daemon may have been restarted, leaving this socket
        // connected to nothing: connect again and send the batch once more.
        closeSocket();
        openlog(nullptr, options_ | OptionNoDelay, 0);
        if (connected_)
            result = sendBatch();
        if (result < 0)
            closeSocket();
    }
    dropBatch();
    return result;
}

int SysLogManager::sendBatch()
{
    // The socket is connected, so the header names no address (a stream
    // socket would refuse one).
    msghdr header;
    std::memset(&header, 0, sizeof header);
    header.msg_iov = entries_;
    header.msg_iovlen = count_;
    ssize_t sent;
    do
        sent = ::sendmsg(fd_, &header, MSG_NOSIGNAL);
    while (sent < 0 && errno == EINTR);
    return static_cast<int>(sent);
}

void SysLogManager::dropBatch()
{
    used_ = 0;
    count_ = 0;
}

void SysLogManager::toConsole(char const* text, size_t length)
{
    int fd = ::open(rootPath("/dev/console").c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return;
    iovec parts[2] = {{const_cast<char*>(text), length}, {const_cast<char*>("\r\n"), 2}};
    ssize_t ignored = ::writev(fd, parts, 2);
    (void)ignored;
    ::close(fd);
}
