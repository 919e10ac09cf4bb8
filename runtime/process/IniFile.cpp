#include "runtime/process/IniFile.h"

#include <climits>
#include <cstdlib>
#include <fstream>
#include <ostream>
#include <sstream>

namespace IniFile {

// ---- SubKey

SubKey::SubKey(std::string const& value, int line) : value_(value), line_(line) {}

bool SubKey::GetBool(bool def) const
{
    if (value_ == "true" || value_ == "yes" || value_ == "1" || value_ == "on")
        return true;
    if (value_ == "false" || value_ == "no" || value_ == "0" || value_ == "off")
        return false;
    return def;
}

void SubKey::SetBool(bool value) { value_ = value ? "yes" : "no"; }

int SubKey::GetInt(int def) const
{
    // Like scanning with "%d", but a number beyond int's range is clamped
    // instead of being undefined.
    char const* text = value_.c_str();
    char* end = nullptr;
    long number = std::strtol(text, &end, 10);
    if (end == text)
        return def;
    if (number > INT_MAX)
        return INT_MAX;
    if (number < INT_MIN)
        return INT_MIN;
    return static_cast<int>(number);
}

void SubKey::SetInt(int value) { value_ = std::to_string(value); }

float SubKey::GetFloat(float def) const
{
    char const* text = value_.c_str();
    char* end = nullptr;
    float number = std::strtof(text, &end);
    return end == text ? def : number;
}

void SubKey::SetFloat(float value)
{
    std::ostringstream text;
    text << value;
    value_ = text.str();
}

void SubKey::Dump(std::ostream& out) const
{
    out << "dumping IniFile::SubKey\n"
        << "mValue=\"" << value_ << "\"\n"
        << "mLineNo=" << line_ << "\n";
}

// ---- Key

Key::Key(std::string const& name) : name_(name) {}

SubKey* Key::NewSubKey(std::string const& value, int line) { return subKeys_.add(new SubKey(value, line)); }

void Key::CleanSubKeys() { subKeys_.clean(); }

void Key::CheckEmpty()
{
    if (subKeys_.empty())
        NewSubKey("", -1);
}

void Key::Dump(std::ostream& out) const
{
    out << "dumping IniFile::Key\n"
        << "mName=\"" << name_ << "\"\n"
        << "mSubKeyCount=" << Count() << "\n";
    for (SubKey const& subKey : *this)
        subKey.Dump(out);
}

// ---- SubSection

SubSection::SubSection(int line) : line_(line) {}

Key& SubSection::operator[](std::string const& name) { return keys_.find(name); }

Key* SubSection::NewKey(std::string const& name) { return keys_.add(name); }

SubKey* SubSection::NewSubKey(std::string const& key, std::string const& value, int line)
{
    return (*this)[key].NewSubKey(value, line);
}

void SubSection::CleanKeys() { keys_.clean(); }

void SubSection::Dump(std::ostream& out) const
{
    out << "dumping IniFile::SubSection\n"
        << "mLineNo=\"" << line_ << "\"\n"
        << "mKeyCount=" << Count() << "\n";
    for (Key const& key : *this)
        key.Dump(out);
}

// ---- Section

Section::Section(std::string const& name) : name_(name) {}

SubSection* Section::NewSubSection(int line) { return subSections_.add(new SubSection(line)); }

void Section::CleanSubSections() { subSections_.clean(); }

void Section::CheckEmpty()
{
    if (subSections_.empty())
        NewSubSection(-1);
}

void Section::Dump(std::ostream& out) const
{
    out << "dumping IniFile::Section\n"
        << "mName=\"" << name_ << "\"\n"
        << "mSubSectionCount=" << Count() << "\n";
    for (SubSection const& block : *this)
        block.Dump(out);
}

// ---- File

File::File() = default;

File::File(std::string const& name) { Open(name); }

bool File::Open(std::string const& name)
{
    Close();
    name_ = name;
    std::ifstream in(name, std::ios::in | std::ios::binary);
    if (in.is_open())
        ParseStream(in);
    return open_;
}

void File::Close()
{
    // Sections made by lookups before any parse go too, so that a failed
    // Open always leaves an empty tree.
    CleanSections();
    open_ = false;
}

Section& File::operator[](std::string const& name) { return sections_.find(name); }

Section* File::NewSection(std::string const& name) { return sections_.add(name); }

SubSection* File::NewSubSection(std::string const& name, int line)
{
    return (*this)[name].NewSubSection(line);
}

void File::CleanSections() { sections_.clean(); }

void File::Dump(std::ostream& out) const
{
    out << "dumping IniFile::File\n"
        << "mFileName=\"" << name_ << "\"\n\n"
        << "mSectionCount=" << Count() << "\n";
    for (Section const& section : *this)
        section.Dump(out);
}

std::istream& operator>>(std::istream& in, File& file)
{
    file.Close();
    file.name_.clear();
    file.ParseStream(in);
    return in;
}

// A byte-at-a-time state machine. A blank is the space character; a tab
// counts as one only where a line starts. Blanks inside a key name or a
// value are held back as a count and written out only when more text
// follows, which trims trailing blanks and keeps inner runs exactly.
void File::ParseStream(std::istream& in)
{
    enum State { Outside, SectionName, AfterHeader, LineStart, KeyName, BeforeValue, Value };

    open_ = true;
    State state = Outside;
    bool comment = false;
    int pendingBlanks = 0;
    int line = 1;
    SubSection* block = nullptr;
    std::string sectionName;
    std::string keyName;
    std::string value;

    auto addKey = [&] {
        block->NewSubKey(keyName, value, line);
        keyName.clear();
    };
    auto flushBlanks = [&](std::string& text) {
        text.append(static_cast<size_t>(pendingBlanks), ' ');
        pendingBlanks = 0;
    };

    std::streambuf* source = in.rdbuf();
    for (;;) {
        int c = source ? source->sbumpc() : std::char_traits<char>::eof();
        if (c == std::char_traits<char>::eof()) {
            if (state == BeforeValue)
                value.clear();
            if (state == BeforeValue || state == Value)
                addKey();
            in.setstate(std::ios::eofbit);
            return;
        }
        if (c == '\r')
            continue;
        if (comment) {
            if (c != '\n')
                continue;
            comment = false;
        }

        switch (state) {
        case Outside:
            if (c == '#') {
                comment = true;
            } else if (c == '[') {
                sectionName.clear();
                state = SectionName;
            }
            break;
        case SectionName:
            if (c == '\n') {
                state = Outside;
            } else if (c == ']') {
                block = NewSubSection(sectionName, line);
                state = AfterHeader;
            } else {
                sectionName += static_cast<char>(c);
            }
            break;
        case AfterHeader:
            if (c == '\n')
                state = LineStart;
            else if (c == '#')
                comment = true;
            break;
        case LineStart:
            if (c == '#') {
                comment = true;
            } else if (c == ' ' || c == '\t' || c == '\n') {
            } else if (c == '[') {
                sectionName.clear();
                state = SectionName;
            } else {
                keyName.assign(1, static_cast<char>(c));
                pendingBlanks = 0;
                state = KeyName;
            }
            break;
        case KeyName:
            if (c == ' ') {
                ++pendingBlanks;
            } else if (c == '=') {
                value.clear();
                pendingBlanks = 0;
                state = BeforeValue;
            } else if (c == '\n') {
                keyName.clear();
                pendingBlanks = 0;
                state = LineStart;
            } else {
                flushBlanks(keyName);
                keyName += static_cast<char>(c);
            }
            break;
        case BeforeValue:
            if (c == ' ') {
            } else if (c == '#') {
                comment = true;
            } else if (c == '\n') {
                value.clear();
                addKey();
                state = LineStart;
            } else {
                value.assign(1, static_cast<char>(c));
                pendingBlanks = 0;
                state = Value;
            }
            break;
        case Value:
            if (c == ' ') {
                ++pendingBlanks;
            } else if (c == '\n') {
                pendingBlanks = 0;
                addKey();
                state = LineStart;
            } else if (c == '#' && pendingBlanks > 0) {
                comment = true;
                pendingBlanks = 0;
            } else {
                flushBlanks(value);
                value += static_cast<char>(c);
            }
            break;
        }

        if (c == '\n')
            ++line;
    }
}

} // namespace IniFile
