#include "sim/WatchdogDevice.h"

#include "runtime/base/MuxTime.h"
#include "runtime/base/RootPath.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <ostream>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Sim {

namespace {

char const* const knownWords[] = {"START", "PING", "STOP"};

// True when text is the start of a known word (or a whole one).
bool startsAWord(std::string const& text)
{
    for (char const* word : knownWords)
        if (std::strncmp(word, text.data(), text.size()) == 0 && text.size() <= std::strlen(word))
            return true;
    return false;
}

bool isAWord(std::string const& text)
{
    for (char const* word : knownWords)
        if (text == word)
            return true;
    return false;
}

std::string garbled(std::string const& bytes)
{
    std::string text = "?";
    char pair[4];
    for (char c : bytes) {
        std::snprintf(pair, sizeof pair, "%02X", static_cast<unsigned char>(c));
        text += pair;
    }
    return text;
}

} // namespace

WatchdogDevice::WatchdogDevice()
{
    reader_.Bind("sim watchdog", &WatchdogDevice::onReadable, this);
}

WatchdogDevice::~WatchdogDevice() = default;

bool WatchdogDevice::listen(std::string& error)
{
    std::string fifo = rootPath(path());
    std::error_code ignored;
    std::filesystem::create_directories(std::filesystem::path(fifo).parent_path(), ignored);
    struct stat st{};
    if (::lstat(fifo.c_str(), &st) == 0 && !S_ISFIFO(st.st_mode))
        ::unlink(fifo.c_str());
    if (::mkfifo(fifo.c_str(), 0600) != 0 && errno != EEXIST) {
        error = "can't make " + fifo + ": " + std::strerror(errno);
        return false;
    }
    // Read-write, so that the FIFO never reports a hang-up between two
    // writers and the writer's open does not wait for a reader.
    fifo_ = Fd(::open(fifo.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC));
    if (!fifo_) {
        error = "can't open " + fifo + ": " + std::strerror(errno);
        return false;
    }
    reader_.Schedule(fifo_, POLLIN);
    return true;
}

void WatchdogDevice::stop()
{
    reader_.Release();
    fifo_.close();
}

void WatchdogDevice::clear()
{
    words_.clear();
    dropped_ = 0;
}

void WatchdogDevice::onReadable(int fd, short revents)
{
    if (!(revents & POLLIN))
        return;
    char buffer[256];
    ssize_t n;
    while ((n = ::read(fd, buffer, sizeof buffer)) > 0)
        take(buffer, static_cast<std::size_t>(n));
}

ssize_t WatchdogDevice::write(Open&, void const* buffer, std::size_t size)
{
    take(static_cast<char const*>(buffer), size);
    return static_cast<ssize_t>(size);
}

// The words come without separators, possibly several in one read and a
// word split over two. A byte that cannot start a word (with the bytes
// after it) is junk; junk is recorded as one garbled entry before the next
// word, or at the end of the bytes at hand.
void WatchdogDevice::take(char const* bytes, std::size_t size)
{
    std::string junk;
    for (std::size_t i = 0; i < size; ++i) {
        partial_ += bytes[i];
        while (!partial_.empty() && !startsAWord(partial_)) {
            junk += partial_[0];
            partial_.erase(0, 1);
        }
        if (isAWord(partial_)) {
            if (!junk.empty())
                record(garbled(junk));
            junk.clear();
            record(partial_);
            partial_.clear();
        }
    }
    if (!junk.empty())
        record(garbled(junk));
}

void WatchdogDevice::record(std::string text)
{
    if (words_.size() == capacity) {
        words_.pop_front();
        ++dropped_;
    }
    words_.push_back(Word{Mux::milliseconds(), std::move(text)});
}

bool WatchdogDevice::control(std::vector<std::string> const& words, std::ostream& reply)
{
    if (words.empty()) {
        for (Word const& word : words_)
            reply << word.ms << ' ' << word.text << '\n';
        if (dropped_ > 0)
            reply << "dropped " << dropped_ << '\n';
        return true;
    }
    if (words.size() == 1 && words[0] == "clear") {
        clear();
        return true;
    }
    return false;
}

} // namespace Sim
