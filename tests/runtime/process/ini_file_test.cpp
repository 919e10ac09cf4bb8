#include "runtime/process/IniFile.h"
#include "support/ScratchRoot.h"

#include <gtest/gtest.h>
#include <sstream>

namespace {

// The tree as one line: each section as name:{block}{block}..., each block
// as line(key=value@line,...), sections in list order.
std::string render(IniFile::File const& file)
{
    std::ostringstream out;
    for (IniFile::Section const& section : file) {
        out << "[" << section.Name() << "]";
        for (IniFile::SubSection const& block : section) {
            out << block.Line() << "(";
            char const* separator = "";
            for (IniFile::Key const& key : block) {
                for (IniFile::SubKey const& subKey : key) {
                    out << separator << key.Name() << "=" << subKey.Value() << "@" << subKey.Line();
                    separator = ",";
                }
            }
            out << ")";
        }
    }
    return out.str();
}

std::string parse(std::string const& text)
{
    IniFile::File file;
    std::istringstream in(text);
    in >> file;
    return render(file);
}

} // namespace

TEST(IniFileParser, BuildsTheTreeLineByLine)
{
    struct Case { char const* what; char const* text; char const* tree; };
    Case const cases[] = {
        {"repeated section names make one block each, in file order",
         "[a]\nx=1\n[b]\ny=2\n[a]\nx=3\n", "[a]1(x=1@2)5(x=3@6)[b]3(y=2@4)"},
        {"inner blanks are kept, outer ones and a comment after a blank dropped",
         "[s]\n  key  name  =  some  value  # note\n", "[s]1(key  name=some  value@2)"},
        {"'#' right after text belongs to the value", "[s]\nurl = a#b\n", "[s]1(url=a#b@2)"},
        {"'#' after a blank starts a comment", "[s]\nurl = a #b\n", "[s]1(url=a@2)"},
        {"'=' at the end or before a comment gives the empty value",
         "[s]\nk=\nk = # nothing\n", "[s]1(k=@2,k=@3)"},
        {"a repeated key keeps each occurrence with its line",
         "[s]\nk=1\n\n\n\nk=2\n", "[s]1(k=1@2,k=2@6)"},
        {"a last line without its line end is still taken", "[s]\nk = v", "[s]1(k=v@2)"},
        {"a last line ending in '=' gives the empty value", "[s]\n\nk =", "[s]1(k=@3)"},
        {"a key line without '=' is dropped and the next header still read",
         "[s]\njunk\n[t]\nk=1\n", "[s]1()[t]3(k=1@4)"},
        {"carriage returns vanish; tabs stay inside names and values",
         "[s]\r\n\tk\tx = a\tb \r\n", "[s]1(k\tx=a\tb@2)"},
        {"lines before the first header and after a header lacking ']' are ignored",
         "x=1\n[s]\na=1\n[bad\nb=2\n[t]\nc=3\n", "[s]2(a=1@3)[t]6(c=3@7)"},
        {"comments on their own lines and after a header",
         "# intro\n[s] # about s\n   # indented\nk=v\n", "[s]2(k=v@4)"},
        {"the section name is taken verbatim, the rest of the header line ignored",
         "[ s # x ] tail\nk=v\n", "[ s # x ]1(k=v@2)"},
        {"only the first '=' separates key and value", "[s]\nk = a=b\n", "[s]1(k=a=b@2)"},
        {"'#' and '[' inside a key name are text", "[s]\na#b[c = 1\n", "[s]1(a#b[c=1@2)"},
        {"a header opens from the start of an indented line", "[s]\n  [t]\nk=1\n", "[s]1()[t]2(k=1@3)"},
        {"nothing usable", "no header\n# only comments\n", ""},
    };
    for (auto const& c : cases)
        EXPECT_EQ(c.tree, parse(c.text)) << c.what;
}

TEST(IniFileParser, OpenReadsAFileAndAMissingFileLeavesAnEmptyTree)
{
    ScratchRoot root;
    root.write("/server.conf", "[traces]\nsignalling.isdn = yes\n");

    IniFile::File file(root.path("/server.conf"));
    EXPECT_TRUE(file.IsOpen());
    EXPECT_EQ(root.path("/server.conf"), file.Name());
    EXPECT_EQ("[traces]1(signalling.isdn=yes@2)", render(file));

    EXPECT_FALSE(file.Open(root.path("/missing.conf")));
    EXPECT_FALSE(file.IsOpen());
    EXPECT_EQ(0, file.Count());

    file["made by a lookup"];
    EXPECT_FALSE(file.Open(root.path("/missing.conf")));
    EXPECT_EQ(0, file.Count());
}

TEST(IniFileTree, LookupsAddWhatIsMissing)
{
    IniFile::File file;
    std::istringstream("[s]\nk=1\n") >> file;

    IniFile::Section& absent = file["absent"];
    EXPECT_EQ(0, absent.Count());
    EXPECT_TRUE(absent.begin() == absent.end());
    EXPECT_EQ(2, file.Count());
    EXPECT_EQ(&absent, &file["absent"]);

    IniFile::SubSection& block = *file["s"].First();
    IniFile::Key& key = block["other"];
    EXPECT_EQ(0, key.Count());
    EXPECT_EQ(2, block.Count());
    EXPECT_EQ("k", block.First()->Name());
    EXPECT_EQ("other", block.Last()->Name());

    key.CheckEmpty();
    ASSERT_EQ(1, key.Count());
    EXPECT_EQ("", key.First()->Value());
    EXPECT_EQ(-1, key.First()->Line());
    key.CheckEmpty();
    EXPECT_EQ(1, key.Count());

    absent.CheckEmpty();
    ASSERT_EQ(1, absent.Count());
    EXPECT_EQ(-1, absent.First()->Line());
}

TEST(IniFileSubKey, TypedAccessIsExact)
{
    struct BoolCase { char const* text; bool def; bool expected; };
    BoolCase const bools[] = {
        {"true", false, true}, {"yes", false, true}, {"1", false, true}, {"on", false, true},
        {"false", true, false}, {"no", true, false}, {"0", true, false}, {"off", true, false},
        {"True", false, false}, {"enabled", false, false}, {"", true, true},
    };
    for (auto const& c : bools)
        EXPECT_EQ(c.expected, IniFile::SubKey(c.text, 1).GetBool(c.def)) << c.text;

    struct IntCase { char const* text; int expected; };
    IntCase const ints[] = {
        {"12abc", 12}, {" -7", -7}, {"+3", 3}, {"abc", 99}, {"", 99}, {"99999999999", 2147483647},
    };
    for (auto const& c : ints)
        EXPECT_EQ(c.expected, IniFile::SubKey(c.text, 1).GetInt(99)) << c.text;

    EXPECT_FLOAT_EQ(2.5f, IniFile::SubKey("2.5x", 1).GetFloat(0));
    EXPECT_FLOAT_EQ(-1.0f, IniFile::SubKey("x", 1).GetFloat(-1.0f));

    IniFile::SubKey subKey("", 1);
    subKey.SetBool(true);
    EXPECT_EQ("yes", subKey.Value());
    subKey.SetBool(false);
    EXPECT_EQ("no", subKey.Value());
    subKey.SetInt(-42);
    EXPECT_EQ("-42", subKey.Value());
    subKey.SetFloat(0.25f);
    EXPECT_EQ("0.25", subKey.Value());
}
