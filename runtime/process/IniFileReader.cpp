#include "runtime/process/IniFileReader.h"

#include <cstring>

namespace IniFile {

namespace Private {

bool parseBool(char const* text, bool& target)
{
    static struct {
        char const* text;
        bool value;
    } const spellings[] = {
        {"true", true},     {"false", false}, {"yes", true},    {"no", false},
        {"enabled", true},  {"disabled", false}, {"enable", true}, {"disable", false},
        {"1", true},        {"0", false},
    };
    for (auto const& s : spellings) {
        if (std::strcmp(s.text, text) == 0) {
            target = s.value;
            return true;
        }
    }
    return false;
}

} // namespace Private

namespace {

// A value with a NUL byte in it would reach the conversion cut short, so
// that "1<NUL>junk" passed for "1": it is invalid as a whole instead.
bool convert(Private::KeyValue& kv, std::string const& value)
{
    return value.find('\0') == std::string::npos && kv.do_parse(value.c_str());
}

} // namespace

bool& Reader::Field::add(Private::KeyValue* kv)
{
    keys_.emplace_back(kv);
    return kv->valid;
}

Reader::Reader(std::string const& prefix, std::ostream& log) : prefix_(prefix), log_(&log) {}

bool Reader::parse(SubSection& block)
{
    for (auto& kv : required_.keys_)
        if (!parseRequired(block, *kv))
            return false;
    for (auto& kv : optional_.keys_)
        parseOptional(block, *kv);
    return true;
}

bool Reader::parseRequired(SubSection& block, Private::KeyValue& kv)
{
    Key& key = block[kv.name()];
    std::ostream& log = *log_;
    switch (key.Count()) {
    case 0:
        log << prefix_ << "required key \"" << kv.name() << "\" not present, line " << block.Line()
            << std::endl;
        return false;
    case 1: {
        SubKey const& subKey = *key.First();
        kv.valid = convert(kv, subKey.Value());
        if (!kv.valid)
            log << prefix_ << "required key \"" << kv.name() << "\" has invalid value=\"" << subKey.Value()
                << "\", line " << subKey.Line() << std::endl;
        return kv.valid;
    }
    case 2:
        reportDuplicate("required", key, "");
        return false;
    default:
        reportRepeated("required", key, "");
        return false;
    }
}

void Reader::parseOptional(SubSection& block, Private::KeyValue& kv)
{
    kv.valid = false;
    Key& key = block[kv.name()];
    switch (key.Count()) {
    case 0:
        break;
    case 1: {
        SubKey const& subKey = *key.First();
        kv.valid = convert(kv, subKey.Value());
        if (!kv.valid)
            *log_ << prefix_ << "optional key \"" << kv.name() << "\" has invalid value=\"" << subKey.Value()
                  << "\", line " << subKey.Line() << ". Key will be ignored." << std::endl;
        break;
    }
    case 2:
        reportDuplicate("optional", key, " Both keys will be ignored.");
        break;
    default:
        reportRepeated("optional", key, ". All keys will be ignored.");
        break;
    }
}

void Reader::reportDuplicate(char const* kind, Key& key, char const* tail)
{
    std::ostream& log = *log_;
    log << prefix_ << kind << " key \"" << key.Name() << "\" is duplicated!" << std::endl;
    log << prefix_ << " first occurence at " << key.First()->Line() << " line." << std::endl;
    log << prefix_ << " second occurence at " << key.Last()->Line() << " line." << tail << std::endl;
}

void Reader::reportRepeated(char const* kind, Key& key, char const* tail)
{
    std::ostream& log = *log_;
    log << prefix_ << kind << " key \"" << key.Name() << "\" specified more than once:";
    for (SubKey const& subKey : key)
        log << ' ' << subKey.Line();
    log << " lines" << tail << std::endl;
}

} // namespace IniFile
