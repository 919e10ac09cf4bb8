#include "sim/SimulatedBoard.h"

#include "sim/ControlErrno.h"
#include "sim/ControlNumber.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <limits>
#include <ostream>
#include <poll.h>
#include <sstream>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Sim {

struct SimulatedBoard::Descriptor {
    Open open;
    Device* model = nullptr;
    int front = -1;      // the number handed out by open()
    int peer = -1;       // the board's own end; -1 once broken
    ino_t socket = 0;    // identifies the front end and its duplicates
    bool token = false;  // a byte waits in the front end: it polls readable
    bool blocked = false; // the front end's send room is filled: not writable
};

namespace {

ino_t socketOf(int fd)
{
    struct stat st{};
    if (::fstat(fd, &st) != 0)
        return 0;
    return st.st_ino;
}

int fail(int negated)
{
    errno = -negated;
    return -1;
}

std::string errnoName(int errnum)
{
    char const* name = ::strerrorname_np(errnum);
    return name ? name : std::to_string(errnum);
}

// A request the model did not name (or that failed before reaching it).
std::string requestName(unsigned long code)
{
    std::ostringstream s;
    s << "0x" << std::hex << code;
    return s.str();
}

} // namespace

std::ostream& operator<<(std::ostream& out, LogEntry const& entry)
{
    out << entry.device << ' ' << entry.request;
    if (!entry.fields.empty())
        out << ' ' << entry.fields;
    out << " -> ";
    if (entry.result < 0)
        out << errnoName(-entry.result);
    else
        out << entry.result;
    return out;
}

SimulatedBoard::SimulatedBoard(std::size_t log_limit) : log_limit_(log_limit > 0 ? log_limit : 1) {}

SimulatedBoard::~SimulatedBoard()
{
    for (auto& descriptor : open_)
        if (descriptor->peer >= 0)
            ::close(descriptor->peer);
}

Device& SimulatedBoard::add(std::unique_ptr<Device> device)
{
    Device& added = *device;
    devices_[device->path()] = std::move(device);
    return added;
}

Device* SimulatedBoard::device(std::string const& path) const
{
    auto found = devices_.find(path);
    return found == devices_.end() ? nullptr : found->second.get();
}

void SimulatedBoard::fail_next(std::string const& path, unsigned count, int errnum)
{
    Failure& failure = failures_[path];
    failure.next = count;
    failure.errnum = errnum;
}

void SimulatedBoard::fail_always(std::string const& path, int errnum)
{
    Failure& failure = failures_[path];
    failure.always = true;
    failure.errnum = errnum;
}

void SimulatedBoard::set_missing(std::string const& path, bool missing)
{
    failures_[path].missing = missing;
}

void SimulatedBoard::clear_failures(std::string const& path)
{
    failures_.erase(path);
}

void SimulatedBoard::break_opens(std::string const& path)
{
    for (auto& descriptor : open_) {
        if (descriptor->open.path == path && descriptor->peer >= 0) {
            ::close(descriptor->peer);
            descriptor->peer = -1;
        }
    }
}

std::vector<LogEntry> SimulatedBoard::log_of(std::string const& path, std::string const& request) const
{
    std::vector<LogEntry> entries;
    for (auto const& entry : log_)
        if (entry.device == path && (request.empty() || entry.request == request))
            entries.push_back(entry);
    return entries;
}

int SimulatedBoard::injected(std::string const& path)
{
    auto found = failures_.find(path);
    if (found == failures_.end())
        return 0;
    Failure& failure = found->second;
    if (failure.always)
        return -failure.errnum;
    if (failure.next > 0) {
        --failure.next;
        return -failure.errnum;
    }
    return 0;
}

int SimulatedBoard::open_failure(std::string const& path)
{
    auto found = failures_.find(path);
    if (found != failures_.end() && found->second.missing)
        return -ENOENT;
    if (!device(path))
        return -ENOENT;
    return 0;
}

int SimulatedBoard::finish(std::string const& path, RequestNote const& note, int result)
{
    if (log_.size() >= log_limit_) {
        log_.pop_front();
        ++dropped_;
    }
    log_.push_back(LogEntry{path, note.name, note.fields, result});
    return result < 0 ? fail(result) : result;
}

void SimulatedBoard::collect_closed()
{
    for (auto it = open_.begin(); it != open_.end();) {
        Descriptor& descriptor = **it;
        bool gone = false;
        if (descriptor.peer >= 0) {
            pollfd pfd{descriptor.peer, 0, 0};
            gone = ::poll(&pfd, 1, 0) == 1 && (pfd.revents & (POLLHUP | POLLERR));
        } else {
            // A broken open is gone once no descriptor names its socket.
            gone = liveFront(descriptor) < 0;
        }
        if (gone) {
            forget(descriptor);
            it = open_.erase(it);
        } else {
            ++it;
        }
    }
}

void SimulatedBoard::forget(Descriptor& descriptor)
{
    if (descriptor.model)
        descriptor.model->closed(descriptor.open);
    if (descriptor.peer >= 0)
        ::close(descriptor.peer);
    descriptor.peer = -1;
}

SimulatedBoard::Descriptor* SimulatedBoard::find(int fd)
{
    ino_t socket = socketOf(fd);
    if (socket == 0)
        return nullptr;
    for (auto& descriptor : open_)
        if (descriptor->socket == socket)
            return descriptor.get();
    return nullptr;
}

int SimulatedBoard::liveFront(Descriptor& descriptor)
{
    if (socketOf(descriptor.front) == descriptor.socket)
        return descriptor.front;
    // The front end closed the number open() gave it and kept a duplicate
    // (an Event does): look for a descriptor that still names the socket.
    descriptor.front = -1;
    if (DIR* dir = ::opendir("/proc/self/fd")) {
        while (dirent* entry = ::readdir(dir)) {
            int fd = std::atoi(entry->d_name);
            if (entry->d_name[0] != '.' && fd != ::dirfd(dir) && socketOf(fd) == descriptor.socket) {
                descriptor.front = fd;
                break;
            }
        }
        ::closedir(dir);
    }
    return descriptor.front;
}

void SimulatedBoard::sync(Descriptor& descriptor)
{
    if (descriptor.peer < 0 || !descriptor.model || liveFront(descriptor) < 0)
        return;
    bool readable = descriptor.model->readable(descriptor.open);
    if (readable && !descriptor.token) {
        char byte = 0;
        descriptor.token = ::send(descriptor.peer, &byte, 1, MSG_DONTWAIT | MSG_NOSIGNAL) == 1;
    } else if (!readable && descriptor.token) {
        char byte;
        if (::recv(descriptor.front, &byte, 1, MSG_DONTWAIT) == 1)
            descriptor.token = false;
    }
    bool writable = descriptor.model->writable(descriptor.open);
    if (!writable && !descriptor.blocked) {
        // Fill the front end's send room so that poll stops reporting POLLOUT.
        char filler[4096] = {};
        while (::send(descriptor.front, filler, sizeof filler, MSG_DONTWAIT | MSG_NOSIGNAL) > 0) {
        }
        while (::send(descriptor.front, filler, 1, MSG_DONTWAIT | MSG_NOSIGNAL) > 0) {
        }
        descriptor.blocked = true;
    } else if (writable && descriptor.blocked) {
        char sink[4096];
        while (::recv(descriptor.peer, sink, sizeof sink, MSG_DONTWAIT) > 0) {
        }
        descriptor.blocked = false;
    }
}

void SimulatedBoard::refresh()
{
    collect_closed();
    for (auto& descriptor : open_)
        sync(*descriptor);
}

int SimulatedBoard::open(char const* path, int flags)
{
    collect_closed();
    RequestNote note{"open", ""};
    int result = open_failure(path);
    if (result < 0)
        return finish(path, note, result);
    int ends[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, ends) != 0)
        return finish(path, note, -errno);
    if (!(flags & O_CLOEXEC))
        ::fcntl(ends[0], F_SETFD, 0);
    auto descriptor = std::make_unique<Descriptor>();
    descriptor->open.id = next_id_++;
    descriptor->open.path = path;
    descriptor->open.flags = flags;
    descriptor->model = device(path);
    descriptor->front = ends[0];
    descriptor->peer = ends[1];
    descriptor->socket = socketOf(ends[0]);
    result = descriptor->model->opened(descriptor->open);
    if (result < 0) {
        ::close(ends[0]);
        ::close(ends[1]);
        return finish(path, note, result);
    }
    Descriptor& added = *descriptor;
    open_.push_back(std::move(descriptor));
    sync(added);
    finish(path, note, added.front);
    return added.front;
}

// The common path of the three kinds of request: the descriptor is looked
// up, the model describes the request, a broken descriptor or an injected
// failure stands in for the model, and the request is logged under the
// model's name for it (or its number).
template <class Describe, class AskModel>
int SimulatedBoard::dispatch(int fd, unsigned long code, std::string const& fields, Describe describe, AskModel ask)
{
    Descriptor* descriptor = find(fd);
    if (!descriptor)
        return fail(-EBADF);
    descriptor->front = fd;
    RequestNote note;
    describe(*descriptor->model, note);
    // A hung-up driver fails every request; the injected failures are left
    // for the opens that still work.
    int result = descriptor->peer < 0 ? -EIO : injected(descriptor->open.path);
    if (result == 0)
        result = ask(*descriptor->model, descriptor->open, note);
    if (note.name.empty()) {
        note.name = requestName(code);
        note.fields = fields;
    }
    sync(*descriptor);
    return finish(descriptor->open.path, note, result);
}

int SimulatedBoard::request(int fd, unsigned long code, void* record, std::size_t size)
{
    auto* bytes = static_cast<std::uint8_t*>(record);
    return dispatch(
        fd, code, "", [&](Device& model, RequestNote& note) { model.describe(code, bytes, size, note); },
        [&](Device& model, Open& open, RequestNote& note) { return model.request(open, code, bytes, size, note); });
}

int SimulatedBoard::request_value(int fd, unsigned long code, unsigned long value)
{
    return dispatch(
        fd, code, "value=" + std::to_string(value),
        [&](Device& model, RequestNote& note) { model.describe_value(code, value, note); },
        [&](Device& model, Open& open, RequestNote& note) { return model.request_value(open, code, value, note); });
}

int SimulatedBoard::request_none(int fd, unsigned long code)
{
    return dispatch(
        fd, code, "", [&](Device& model, RequestNote& note) { model.describe_none(code, note); },
        [&](Device& model, Open& open, RequestNote& note) { return model.request_none(open, code, note); });
}

ssize_t SimulatedBoard::read(int fd, void* buffer, std::size_t size)
{
    Descriptor* descriptor = find(fd);
    if (!descriptor)
        return fail(-EBADF);
    descriptor->front = fd;
    if (descriptor->peer < 0)
        return fail(-EIO);
    ssize_t result = descriptor->model->read(descriptor->open, buffer, size);
    sync(*descriptor);
    return result < 0 ? fail(static_cast<int>(result)) : result;
}

ssize_t SimulatedBoard::write(int fd, void const* buffer, std::size_t size)
{
    Descriptor* descriptor = find(fd);
    if (!descriptor)
        return fail(-EBADF);
    descriptor->front = fd;
    if (descriptor->peer < 0)
        return fail(-EIO);
    ssize_t result = descriptor->model->write(descriptor->open, buffer, size);
    sync(*descriptor);
    return result < 0 ? fail(static_cast<int>(result)) : result;
}

int SimulatedBoard::close(int fd)
{
    Descriptor* descriptor = find(fd);
    int result = ::close(fd);
    if (descriptor)
        collect_closed();
    return result;
}

std::string SimulatedBoard::pathNamed(std::string const& name) const
{
    for (auto const& [path, model] : devices_)
        if (model->name() == name || path == name)
            return path;
    return "";
}

void SimulatedBoard::control(std::string const& line, std::ostream& reply)
{
    std::istringstream in(line);
    std::vector<std::string> words;
    for (std::string word; in >> word;)
        words.push_back(word);
    if (words.empty()) {
        reply << "error: empty line\n";
        return;
    }
    std::string const& verb = words[0];
    if (verb == "log" && words.size() == 1) {
        if (dropped_ > 0)
            reply << "(" << dropped_ << " older requests dropped)\n";
        for (auto const& entry : log_)
            reply << entry << '\n';
    } else if (verb == "log" && words.size() == 2 && words[1] == "clear") {
        clear_log();
    } else if (verb == "fail") {
        if (!control_fail(words, reply))
            return;
    } else if (Device* model = device(pathNamed(verb))) {
        std::vector<std::string> rest(words.begin() + 1, words.end());
        std::ostringstream detail;
        if (!model->control(rest, detail)) {
            reply << "error: " << verb << ": not understood\n";
            return;
        }
        reply << detail.str();
    } else {
        reply << "error: unknown command or device: " << verb << '\n';
        return;
    }
    refresh();
    reply << "ok\n";
}

// Every word of the line must be understood: a failure injected other than
// as it was written would make a script test something else than it says.
// An omitted ERRNO is EIO.
bool SimulatedBoard::control_fail(std::vector<std::string> const& words, std::ostream& reply)
{
    auto refuse = [&](std::string const& why) {
        reply << "error: " << why << '\n';
        return false;
    };
    std::string const usage = "fail DEVICE next N [ERRNO] | always [ERRNO] | missing | present | break | off";
    if (words.size() < 3)
        return refuse(usage);
    std::string path = pathNamed(words[1]);
    if (path.empty())
        return refuse("fail: unknown device: " + words[1]);
    std::string const& action = words[2];
    if (action == "next" || action == "always") {
        bool const counted = action == "next";
        std::size_t const errnoAt = counted ? 4 : 3;
        if (words.size() < errnoAt || words.size() > errnoAt + 1)
            return refuse(usage);
        unsigned long count = 0;
        if (counted && !controlCount(words[3], std::numeric_limits<unsigned>::max(), count))
            return refuse("fail: not a count: " + words[3]);
        int errnum = EIO;
        if (words.size() > errnoAt && !controlErrno(words[errnoAt], errnum))
            return refuse("fail: unknown errno: " + words[errnoAt]);
        if (counted)
            fail_next(path, static_cast<unsigned>(count), errnum);
        else
            fail_always(path, errnum);
        return true;
    }
    if (words.size() != 3)
        return refuse(usage);
    if (action == "missing")
        set_missing(path, true);
    else if (action == "present")
        set_missing(path, false);
    else if (action == "break")
        break_opens(path);
    else if (action == "off")
        clear_failures(path);
    else
        return refuse(usage);
    return true;
}

} // namespace Sim
