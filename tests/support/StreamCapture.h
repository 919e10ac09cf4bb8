#pragma once
// Redirects a standard stream (std::cout, std::cerr, std::clog) into a
// string for the lifetime of the object; the stream's own buffer comes back
// when it goes. Also a count of lines or words in such a text.
#include <ostream>
#include <sstream>
#include <string>

class StreamCapture {
public:
    explicit StreamCapture(std::ostream& stream) : stream_(stream), old_(stream.rdbuf(text_.rdbuf())) {}
    ~StreamCapture() { stream_.rdbuf(old_); }
    StreamCapture(StreamCapture const&) = delete;
    StreamCapture& operator=(StreamCapture const&) = delete;

    std::string text() const { return text_.str(); }
    void clear() { text_.str(""); }

private:
    std::ostream& stream_;
    std::ostringstream text_;
    std::streambuf* old_;
};

// How often needle occurs in text (occurrences may overlap).
inline int occurrences(std::string const& text, std::string const& needle)
{
    int count = 0;
    for (auto at = text.find(needle); at != std::string::npos; at = text.find(needle, at + 1))
        ++count;
    return count;
}
