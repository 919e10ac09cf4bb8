#pragma once
// The stream inserter and extractor of ASN.1 values: run the printer or the
// reader inside the stream's sentry and turn their outcome and any escaping
// exception into the stream's error state, the way the standard formatted
// operations do (memory exhaustion sets badbit, another exception failbit;
// the exception goes on only when the stream's exception mask asks for it).
#include <ios>
#include <istream>
#include <new>
#include <ostream>

namespace ASN1 {

template <class CharT, class Traits>
class IOWrapper {
public:
    virtual ~IOWrapper() = default;

    void do_it(std::basic_ios<CharT, Traits>& ios)
    {
        std::ios_base::iostate state = std::ios_base::goodbit;
        try {
            state = do_real_io();
        } catch (std::bad_alloc&) {
            failWith(ios, std::ios_base::badbit, std::ios_base::badbit);
        } catch (...) {
            failWith(ios, std::ios_base::failbit, std::ios_base::failbit | std::ios_base::badbit);
        }
        if (state != std::ios_base::goodbit)
            ios.setstate(state);
    }

private:
    virtual std::ios_base::iostate do_real_io() = 0;

    // Called while an exception is being handled.
    static void failWith(std::basic_ios<CharT, Traits>& ios, std::ios_base::iostate state,
                         std::ios_base::iostate rethrowOn)
    {
        bool rethrow = (ios.exceptions() & rethrowOn) != 0;
        try {
            ios.setstate(state);
        } catch (std::ios_base::failure&) {
        }
        if (rethrow)
            throw;
    }
};

template <class CharT, class Traits, class T>
class InserterWrapper : public IOWrapper<CharT, Traits> {
public:
    InserterWrapper(std::basic_ostream<CharT, Traits>& os, T const& value) : os_(os), value_(value) {}

private:
    std::ios_base::iostate do_real_io() override
    {
        typename std::basic_ostream<CharT, Traits>::sentry sentry(os_);
        return sentry ? value_.print_on(os_) : std::ios_base::goodbit;
    }

    std::basic_ostream<CharT, Traits>& os_;
    T const& value_;
};

template <class CharT, class Traits, class T>
class ExtractorWrapper : public IOWrapper<CharT, Traits> {
public:
    ExtractorWrapper(std::basic_istream<CharT, Traits>& is, T& value) : is_(is), value_(value) {}

private:
    std::ios_base::iostate do_real_io() override
    {
        typename std::basic_istream<CharT, Traits>::sentry sentry(is_);
        return sentry ? value_.get_from(is_) : std::ios_base::goodbit;
    }

    std::basic_istream<CharT, Traits>& is_;
    T& value_;
};

template <class CharT, class Traits, class T>
std::basic_ostream<CharT, Traits>& g_inserter(std::basic_ostream<CharT, Traits>& os, T const& value)
{
    if (os.good()) {
        InserterWrapper<CharT, Traits, T> wrapper(os, value);
        wrapper.do_it(os);
    }
    return os;
}

template <class CharT, class Traits, class T>
std::basic_istream<CharT, Traits>& g_extractor(std::basic_istream<CharT, Traits>& is, T& value)
{
    if (is.good()) {
        ExtractorWrapper<CharT, Traits, T> wrapper(is, value);
        wrapper.do_it(is);
    }
    return is;
}

} // namespace ASN1
