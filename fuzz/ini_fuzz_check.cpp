#include "fuzz/ini_fuzz_check.h"

#include "runtime/process/IniFileReader.h"
#include "runtime/process/TraceCtl.h"

#include <algorithm>
#include <iostream>
#include <sstream>

namespace IniFuzz {

namespace {

enum Mode { manual = 1, automatic = 2, disabled = -3 };
IniFile::Symbol<Mode> const modes[] = {{"manual", manual}, {"auto", automatic}, {"off", disabled}, {nullptr, manual}};
enum class Port : unsigned char { none = 0 };

bool endsInBlank(std::string const& text) { return !text.empty() && text.back() == ' '; }
bool startsWithAnyOf(std::string const& text, char const* set)
{
    return !text.empty() && std::string(set).find(text[0]) != std::string::npos;
}

// What the tree holds, in file syntax, without line numbers: the text the
// parser must read back into the same tree. Empty when the tree holds
// something the syntax cannot say; problem then tells what.
std::string writeBack(IniFile::File const& file, int lines, std::string& problem)
{
    std::string text;
    auto fail = [&](std::string const& what) {
        problem = what;
        return std::string();
    };
    for (IniFile::Section const& section : file) {
        std::string const& name = section.Name();
        if (name.find_first_of("]\n\r") != std::string::npos)
            return fail("section name \"" + name + "\"");
        for (IniFile::SubSection const& block : section) {
            if (block.Line() < 1 || block.Line() > lines)
                return fail("block line " + std::to_string(block.Line()));
            text += "[" + name + "]\n";
            for (IniFile::Key const& key : block) {
                std::string const& keyName = key.Name();
                if (keyName.empty() || startsWithAnyOf(keyName, " \t#[") || endsInBlank(keyName)
                    || keyName.find_first_of("\n\r") != std::string::npos || keyName.find('=', 1) != std::string::npos)
                    return fail("key name \"" + keyName + "\"");
                for (IniFile::SubKey const& subKey : key) {
                    std::string const& value = subKey.Value();
                    if (startsWithAnyOf(value, " #") || endsInBlank(value)
                        || value.find_first_of("\n\r") != std::string::npos || value.find(" #") != std::string::npos)
                        return fail("value \"" + value + "\" of key \"" + keyName + "\"");
                    if (subKey.Line() < block.Line() || subKey.Line() > lines)
                        return fail("key line " + std::to_string(subKey.Line()));
                    text += keyName + "=" + value + "\n";
                }
            }
        }
    }
    return text;
}

bool everyLineStartsWith(std::string const& log, std::string const& prefix)
{
    std::istringstream lines(log);
    std::string line;
    while (std::getline(lines, line))
        if (line.compare(0, prefix.size(), prefix) != 0)
            return false;
    return true;
}

// Reads one block with keys of every kind; an empty report when the
// reader kept its promises.
std::string readBlock(IniFile::SubSection& block)
{
    std::ostringstream log;
    std::string name = "none";
    Mode mode = manual;
    bool flag = false;
    std::string comment;
    Mode level = disabled;
    Port port = Port::none;
    IniFile::Reader reader("block: ", log);
    bool& nameValid = reader.required().add(&name, "name");
    bool& modeValid = reader.required().add(&mode, "mode", modes);
    bool& flagValid = reader.optional().add(&flag, "flag");
    bool& commentValid = reader.optional().add(&comment, "comment");
    bool& levelValid = reader.optional().add(&level, "level");
    bool& portValid = reader.optional().add(&port, "port");

    bool const accepted = reader.parse(block);
    std::string problem;
    if (accepted && (!nameValid || !modeValid || block["name"].Count() != 1 || block["mode"].Count() != 1))
        problem = "accepted a block without its required keys once each";
    struct Optional {
        char const* name;
        bool valid;
    } const optionals[] = {{"flag", flagValid}, {"comment", commentValid}, {"level", levelValid}, {"port", portValid}};
    for (Optional const& o : optionals)
        if (accepted && o.valid && block[o.name].Count() != 1)
            problem = std::string("optional key \"") + o.name + "\" valid without being given once";
    if (accepted && commentValid && comment != block["comment"].First()->Value())
        problem = "comment not taken as written";
    if (!everyLineStartsWith(log.str(), "block: "))
        problem = "message without its prefix:\n" + log.str();
    return problem;
}

} // namespace

Outcome checkInput(std::uint8_t const* data, std::size_t size, std::string& report)
{
    std::string const text(reinterpret_cast<char const*>(data), size);
    int const lines = 1 + static_cast<int>(std::count(text.begin(), text.end(), '\n'));

    IniFile::File file;
    std::istringstream in(text);
    in >> file;
    std::string problem;
    std::string const written = writeBack(file, lines, problem);
    if (!problem.empty()) {
        report = "the parser kept an impossible " + problem;
        return Outcome::Mismatch;
    }
    IniFile::File again;
    std::istringstream writtenIn(written);
    writtenIn >> again;
    std::string const rewritten = writeBack(again, lines + 1 + static_cast<int>(written.size()), problem);
    if (rewritten != written) {
        report = "written back:\n" + written + "read again as:\n" + rewritten + problem;
        return Outcome::Mismatch;
    }

    for (IniFile::Section& section : file) {
        for (IniFile::SubSection& block : section) {
            for (IniFile::Key& key : block) {
                for (IniFile::SubKey& subKey : key) {
                    subKey.GetBool(false);
                    subKey.GetInt(0);
                    subKey.GetFloat(0);
                }
            }
            problem = readBlock(block);
            if (!problem.empty()) {
                report = "[" + section.Name() + "] at line " + std::to_string(block.Line()) + ": " + problem;
                return Outcome::Mismatch;
            }
        }
    }

    std::ostringstream traceLog;
    std::streambuf* const cerr = std::cerr.rdbuf(traceLog.rdbuf());
    TraceCtl switches;
    switches.Configure(file["traces"]);
    std::cerr.rdbuf(cerr);
    if (!everyLineStartsWith(traceLog.str(), "traces: ")) {
        report = "trace message without its prefix:\n" + traceLog.str();
        return Outcome::Mismatch;
    }
    return Outcome::Read;
}

} // namespace IniFuzz
