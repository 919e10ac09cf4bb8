#pragma once
// IniFile::Reader checks one block of the configuration file against what a
// component expects of it: required and optional keys, each bound to one of
// the component's variables (bool, std::string or an enumeration). parse()
// converts every key it names into its variable and reports each problem
// with the key's name and line numbers, one message per problem, on the log
// stream the component gives. A problem with an optional key leaves its
// variable at the default the component set before; a missing, invalid or
// repeated required key makes parse() return false. Keys the lists do not
// name are not looked at.
//
// A reader is built, filled with add() calls, used with parse() and dropped;
// it owns its key descriptors, so the valid flags that add() returns must not
// be used after the reader is gone.
#include "runtime/process/IniFile.h"

#include <cerrno>
#include <cstdlib>
#include <limits>
#include <memory>
#include <ostream>
#include <string>
#include <type_traits>
#include <vector>

namespace IniFile {

// One entry of a table naming the values of an enumerated key. A table
// ends with an entry whose name is null.
template <class T>
struct Symbol {
    char const* name;
    T value;
};

namespace Private {

// The descriptor of one key: its name (not owned), whether it was given once
// with a value that converted, and the conversion into its target.
class KeyValue {
public:
    explicit KeyValue(char const* name) : name_(name) {}
    virtual ~KeyValue() = default;
    virtual char const* name() const { return name_; }
    // Converts text into the target; false leaves the target unchanged.
    virtual bool do_parse(char const* text) = 0;

    bool valid = false;

private:
    char const* name_;
};

bool parseBool(char const* text, bool& target);

template <class T, class Enable = void>
class TKeyValue;

template <>
class TKeyValue<bool> : public KeyValue {
public:
    TKeyValue(bool* target, char const* name) : KeyValue(name), target_(target) {}
    bool do_parse(char const* text) override { return parseBool(text, *target_); }

private:
    bool* target_;
};

template <>
class TKeyValue<std::string> : public KeyValue {
public:
    TKeyValue(std::string* target, char const* name) : KeyValue(name), target_(target) {}
    bool do_parse(char const* text) override
    {
        *target_ = text;
        return true;
    }

private:
    std::string* target_;
};

// An enumeration: a name from the symbol table, else the whole text as a
// number in C notation (decimal, 0x hexadecimal, leading-0 octal, signed)
// that fits the enumeration's underlying type.
template <class T>
class TKeyValue<T, typename std::enable_if<std::is_enum<T>::value>::type> : public KeyValue {
public:
    TKeyValue(T* target, char const* name, Symbol<T> const* symbols = nullptr)
        : KeyValue(name), target_(target), symbols_(symbols) {}

    bool do_parse(char const* text) override
    {
        if (symbols_) {
            for (Symbol<T> const* s = symbols_; s->name; ++s) {
                if (std::string(s->name) == text) {
                    *target_ = s->value;
                    return true;
                }
            }
        }
        if (*text == '\0')
            return false;
        char* end = nullptr;
        errno = 0;
        long long number = std::strtoll(text, &end, 0);
        if (*end != '\0' || errno == ERANGE)
            return false;
        using Underlying = typename std::underlying_type<T>::type;
        if (!fits<Underlying>(number))
            return false;
        *target_ = static_cast<T>(static_cast<Underlying>(number));
        return true;
    }

private:
    template <class U>
    static bool fits(long long number)
    {
        if (std::is_signed<U>::value)
            return number >= static_cast<long long>(std::numeric_limits<U>::min())
                && number <= static_cast<long long>(std::numeric_limits<U>::max());
        return number >= 0
            && static_cast<unsigned long long>(number) <= static_cast<unsigned long long>(std::numeric_limits<U>::max());
    }

    T* target_;
    Symbol<T> const* symbols_;
};

} // namespace Private

class Reader {
public:
    // An ordered list of owned key descriptors.
    class Field {
    public:
        // Takes ownership of kv; returns its valid flag.
        bool& add(Private::KeyValue* kv);

        template <class T>
        bool& add(T* target, char const* name)
        {
            return add(new Private::TKeyValue<T>(target, name));
        }

        template <class T>
        bool& add(T* target, char const* name, Symbol<T> const* symbols)
        {
            return add(new Private::TKeyValue<T>(target, name, symbols));
        }

    private:
        friend class Reader;
        std::vector<std::unique_ptr<Private::KeyValue>> keys_;
    };

    // prefix starts every message line; log is not owned.
    Reader(std::string const& prefix, std::ostream& log);

    Field& required() { return required_; }
    Field& optional() { return optional_; }

    // True when every required key was given exactly once with a valid
    // value. Looking keys up adds an empty key to block for every name
    // that it lacks.
    bool parse(SubSection& block);

private:
    bool parseRequired(SubSection& block, Private::KeyValue& kv);
    void parseOptional(SubSection& block, Private::KeyValue& kv);
    void reportDuplicate(char const* kind, Key& key, char const* tail);
    void reportRepeated(char const* kind, Key& key, char const* tail);

    Field required_;
    Field optional_;
    std::string prefix_;
    std::ostream* log_;
};

} // namespace IniFile
