#include "runtime/process/IniFileReader.h"
#include "runtime/process/TraceCtl.h"
#include "support/StreamCapture.h"

#include <gtest/gtest.h>
#include <iostream>
#include <sstream>

namespace {

enum Colour { red = 0, green = 1, blue = 2, ultraviolet = 40 };
IniFile::Symbol<Colour> const colours[] = {{"red", red}, {"green", green}, {"blue", blue}, {nullptr, red}};

// A file parsed from text; block() is the first block of section "s".
struct Config {
    explicit Config(std::string const& text)
    {
        std::istringstream in(text);
        in >> file;
    }
    IniFile::SubSection& block() { return *file["s"].First(); }
    IniFile::File file;
};

} // namespace

TEST(IniReader, RequiredKeyProblemsFailTheBlockWithTheirMessages)
{
    struct Case { char const* what; char const* text; char const* log; };
    Case const cases[] = {
        {"missing", "\n\n[s]\nother=1\n",
         "p: required key \"on\" not present, line 3\n"},
        {"invalid", "[s]\non = maybe\n",
         "p: required key \"on\" has invalid value=\"maybe\", line 2\n"},
        {"twice", "[s]\non=yes\n\non=no\n",
         "p: required key \"on\" is duplicated!\n"
         "p:  first occurence at 2 line.\n"
         "p:  second occurence at 4 line.\n"},
        {"three times", "[s]\non=1\non=1\n\non=0\n",
         "p: required key \"on\" specified more than once: 2 3 5 lines\n"},
    };
    for (auto const& c : cases) {
        Config config(c.text);
        std::ostringstream log;
        bool on = false;
        std::string name = "default";
        IniFile::Reader reader("p: ", log);
        reader.required().add(&on, "on");
        reader.required().add(&name, "name");
        bool& nameValid = reader.optional().add(&name, "later");
        EXPECT_FALSE(reader.parse(config.block())) << c.what;
        EXPECT_EQ(c.log, log.str()) << c.what;
        EXPECT_EQ("default", name) << c.what;
        EXPECT_FALSE(nameValid) << c.what;
    }
}

TEST(IniReader, OptionalKeyProblemsAreReportedAndKeepTheDefault)
{
    struct Case { char const* what; char const* text; char const* log; };
    Case const cases[] = {
        {"absent", "[s]\n", ""},
        {"invalid", "[s]\n\n\nsignalling.isdn = maybe\n",
         "traces: optional key \"signalling.isdn\" has invalid value=\"maybe\", line 4. Key will be ignored.\n"},
        {"twice, both valid", "[s]\nsignalling.isdn=yes\nsignalling.isdn=yes\n",
         "traces: optional key \"signalling.isdn\" is duplicated!\n"
         "traces:  first occurence at 2 line.\n"
         "traces:  second occurence at 3 line. Both keys will be ignored.\n"},
        {"three times", "[s]\nsignalling.isdn=yes\nsignalling.isdn=yes\nsignalling.isdn=yes\n",
         "traces: optional key \"signalling.isdn\" specified more than once: 2 3 4 lines. All keys will be ignored.\n"},
    };
    for (auto const& c : cases) {
        Config config(c.text);
        std::ostringstream log;
        bool isdn = false;
        IniFile::Reader reader("traces: ", log);
        bool& valid = reader.optional().add(&isdn, "signalling.isdn");
        EXPECT_TRUE(reader.parse(config.block())) << c.what;
        EXPECT_EQ(c.log, log.str()) << c.what;
        EXPECT_FALSE(isdn) << c.what;
        EXPECT_FALSE(valid) << c.what;
    }
}

TEST(IniReader, BooleansTakeExactlyTheConfigurationSpellings)
{
    struct Case { char const* text; bool valid; bool value; };
    Case const cases[] = {
        {"true", true, true},      {"yes", true, true},     {"enabled", true, true},
        {"enable", true, true},    {"1", true, true},       {"false", true, false},
        {"no", true, false},       {"disabled", true, false}, {"disable", true, false},
        {"0", true, false},        {"True", false, false},  {"on", false, false},
        {"off", false, false},     {"", false, false},      {"yes ", false, false},
    };
    for (auto const& c : cases) {
        bool target = false;
        IniFile::Private::TKeyValue<bool> kv(&target, "k");
        EXPECT_EQ(c.valid, kv.do_parse(c.text)) << '"' << c.text << '"';
        EXPECT_EQ(c.value, target) << '"' << c.text << '"';
    }
    bool keep = true;
    IniFile::Private::TKeyValue<bool> kv(&keep, "k");
    EXPECT_FALSE(kv.do_parse("maybe"));
    EXPECT_TRUE(keep);
}

TEST(IniReader, EnumerationsTakeASymbolOrAWholeNumber)
{
    struct Case { char const* text; bool valid; Colour value; };
    Case const cases[] = {
        {"green", true, green}, {"2", true, blue},    {"0x28", true, ultraviolet}, {"050", true, ultraviolet},
        {"", false, red},       {"2x", false, red},   {"Green", false, red},       {"99999999999999999999", false, red},
    };
    for (auto const& c : cases) {
        Colour target = red;
        IniFile::Private::TKeyValue<Colour> kv(&target, "colour", colours);
        EXPECT_EQ(c.valid, kv.do_parse(c.text)) << '"' << c.text << '"';
        EXPECT_EQ(c.value, target) << '"' << c.text << '"';
    }
}

TEST(IniReader, ValidBlockSetsEveryVariableAndAddsEveryNamedKey)
{
    Config config("[s]\nhost = 10.0.0.1:161\nname = blue\nnote =\nunrelated = x\n");
    std::ostringstream log;
    std::string host;
    Colour colour = red;
    std::string note = "default";
    bool flag = true;
    IniFile::Reader reader("snmpagent: ", log);
    reader.required().add(&host, "host");
    bool& colourValid = reader.required().add(&colour, "name", colours);
    bool& noteValid = reader.optional().add(&note, "note");
    bool& flagValid = reader.optional().add(&flag, "flag");

    EXPECT_TRUE(reader.parse(config.block()));
    EXPECT_EQ("", log.str());
    EXPECT_EQ("10.0.0.1:161", host);
    EXPECT_EQ(blue, colour);
    EXPECT_TRUE(colourValid);
    EXPECT_EQ("", note);
    EXPECT_TRUE(noteValid);
    EXPECT_TRUE(flag);
    EXPECT_FALSE(flagValid);

    IniFile::Key& added = config.block()["flag"];
    EXPECT_EQ(0, added.Count());
    EXPECT_EQ(5, config.block().Count());
}

TEST(TraceSwitches, FollowTheLastBlockOfSectionTraces)
{
    struct Case { char const* what; char const* text; bool hdlc, vuveri, events, isdn, monitoring; char const* log; };
    Case const cases[] = {
        {"no traces section", "[other]\nsignalling.hdlc=yes\n", false, false, false, false, false, ""},
        {"one key set", "[traces]\nsignalling.isdn = yes\n", false, false, false, true, false, ""},
        {"all five", "[traces]\nsignalling.hdlc=1\nsignalling.vuveri=true\nsignalling.events=enabled\n"
                     "signalling.isdn=enable\nmonitoring.internal=yes\n",
         true, true, true, true, true, ""},
        {"a later block replaces an earlier one",
         "[traces]\nsignalling.hdlc=true\n[traces]\nmonitoring.internal=true\n", false, false, false, false, true, ""},
        {"a rejected value leaves the switch off",
         "[traces]\nsignalling.hdlc=on\nsignalling.events=yes\n", false, false, true, false, false,
         "traces: optional key \"signalling.hdlc\" has invalid value=\"on\", line 2. Key will be ignored.\n"},
    };
    for (auto const& c : cases) {
        Config config(c.text);
        TraceCtl switches;
        StreamCapture cerr(std::cerr);
        switches.Configure(config.file["traces"]);
        EXPECT_EQ(c.hdlc, switches.signalling_hdlc) << c.what;
        EXPECT_EQ(c.vuveri, switches.signalling_vuveri) << c.what;
        EXPECT_EQ(c.events, switches.signalling_events) << c.what;
        EXPECT_EQ(c.isdn, switches.signalling_isdn) << c.what;
        EXPECT_EQ(c.monitoring, switches.monitoring_internal) << c.what;
        EXPECT_EQ(c.log, cerr.text()) << c.what;
    }
    EXPECT_FALSE(traces.signalling_hdlc || traces.signalling_vuveri || traces.signalling_events
                 || traces.signalling_isdn || traces.monitoring_internal);
}

TEST(IniReader, AValueWithANulByteIsInvalidNotCutShort)
{
    Config config(std::string("[s]\non=1\0junk\nname=x\0y\nlevel=2\0\n", 32));
    std::ostringstream log;
    bool on = false;
    IniFile::Reader reader("p: ", log);
    reader.required().add(&on, "on");
    EXPECT_FALSE(reader.parse(config.block()));
    EXPECT_FALSE(on);
    EXPECT_EQ(std::string("p: required key \"on\" has invalid value=\"1\0junk\", line 2\n", 56), log.str());

    std::string name = "default";
    Colour level = red;
    IniFile::Reader optional("p: ", log);
    optional.optional().add(&name, "name");
    optional.optional().add(&level, "level", colours);
    EXPECT_TRUE(optional.parse(config.block()));
    EXPECT_EQ("default", name);
    EXPECT_EQ(red, level);
}
