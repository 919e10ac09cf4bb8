#include "runtime/process/SyncingStreamBuf.h"

SyncingStreamBuf::SyncingStreamBuf(std::streamsize size, std::streamsize reserved) : reserved_(reserved)
{
    usePutArea(new char[static_cast<size_t>(size)], size);
}

void SyncingStreamBuf::usePutArea(char* p, std::streamsize n)
{
    area_.reset(p);
    setp(p, p + n - reserved_);
}

std::streambuf* SyncingStreamBuf::setbuf(char* p, std::streamsize n)
{
    if (n < 2)
        return this;
    sync();
    usePutArea(p, n);
    return this;
}

SyncingStreamBuf::int_type SyncingStreamBuf::overflow(int_type c)
{
    sync();
    if (traits_type::eq_int_type(c, traits_type::eof()))
        return 0;
    if (pptr() == epptr())
        return traits_type::eof();
    *pptr() = traits_type::to_char_type(c);
    pbump(1);
    return c;
}
