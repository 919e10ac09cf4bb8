#pragma once
// The common part of the log stream buffers: a put area owned by the buffer
// and emptied by sync(), which each buffer defines to deliver its text. When
// the put area is full, overflow() delivers it and stores the new character.
// A buffer may keep some bytes at the end of its put area free (the syslog
// buffers keep one for the NUL they write).
#include <memory>
#include <streambuf>

class SyncingStreamBuf : public std::streambuf {
protected:
    SyncingStreamBuf(std::streamsize size, std::streamsize reserved);

    // Delivers what is pending, then takes p..p+n as the put area. Takes
    // ownership of p, which must come from new[]; n below 2 is ignored.
    std::streambuf* setbuf(char* p, std::streamsize n) override;
    int_type overflow(int_type c) override;
    int sync() override = 0;

private:
    void usePutArea(char* p, std::streamsize n);

    std::unique_ptr<char[]> area_;
    std::streamsize reserved_;
};
