#include "runtime/ExtBufInHex.h"
#include "runtime/ExtHeader.h"
#include "runtime/ExtQuoted.h"
#include "runtime/ExtTable.h"
#include "runtime/ExtUnsignedInHex.h"

#include <gtest/gtest.h>
#include <iomanip>
#include <sstream>
#include <vector>

namespace {

struct Base {
    virtual ~Base() = default;
    virtual void PutHeader(std::ostream& out) const { out << "base: "; }
};
struct Derived : Base {
    void PutHeader(std::ostream& out) const override { out << "ctrl [" << peer << "]: "; }
    char const* peer = "10.0.0.1:5000";
};
struct Inheriting : Base {};

TEST(ObjectHeader, WritesTheClassOwnPrefixOrTheInheritedOne)
{
    Derived d;
    Inheriting i;
    std::ostringstream out;
    out << ext::header(&d) << "x|" << ext::header(&i) << "y";
    EXPECT_EQ("ctrl [10.0.0.1:5000]: x|base: y", out.str());
}

TEST(Quoted, PutsTextBetweenDoubleQuotesAndNullAsEmpty)
{
    std::ostringstream out;
    char const* name = "eth0";
    char const* none = nullptr;
    out << ext::quoted(name) << ext::quoted(none) << 1;
    EXPECT_EQ("\"eth0\"\"\"1", out.str());
}

TEST(HexOutput, BuffersAsUpperCaseByteDigitsEachFollowedByABlank)
{
    struct Case { std::vector<unsigned char> bytes; char const* expected; };
    Case const cases[] = {
        {{}, ""},
        {{0x01, 0xAB}, "01 AB "},
        {{0x00, 0x0F, 0xF0, 0xFF}, "00 0F F0 FF "},
    };
    for (auto const& c : cases) {
        std::ostringstream out;
        out << ext::OutBufInHex(c.bytes.data(), c.bytes.data() + c.bytes.size());
        EXPECT_EQ(c.expected, out.str());
    }
}

TEST(HexOutput, UnsignedValuesZeroFilledToTheRequestedDigits)
{
    struct Case { uint32_t value; int width; char const* expected; };
    Case const cases[] = {
        {0x1F, 4, "0x001F"},
        {0x1F, 0, "0x1F"},
        {0, 0, "0x0"},
        {0xDEADBEEF, 2, "0xDEADBEEF"},
        {0xabc, 8, "0x00000ABC"},
    };
    for (auto const& c : cases) {
        std::ostringstream out;
        out << ext::OutUnsignedInHex(c.value, c.width);
        EXPECT_EQ(c.expected, out.str());
    }
}

TEST(HexOutput, LeavesTheStreamFormatAsItWas)
{
    unsigned char const bytes[] = {0x0A};
    std::ostringstream out;
    out << std::setfill('*') << std::showpos;
    out << ext::OutBufInHex(bytes, sizeof bytes) << ext::OutUnsignedInHex(0xA, 3)
        << std::setw(4) << 12 << ' ' << 255;
    EXPECT_EQ("0A 0x00A*+12 +255", out.str());
    EXPECT_EQ('*', out.fill());

    std::ostringstream plain;
    plain << ext::OutUnsignedInHex(0xA, 3) << std::setw(3) << 10;
    EXPECT_EQ("0x00A 10", plain.str());
}

std::string render(ext::Table& table, void (*write)(ext::Table::Sentry const&))
{
    std::ostringstream out;
    {
        ext::Table::Sentry s(out, table);
        write(s);
    }
    return out.str();
}

TEST(Table, CentresCellsAndCompletesRows)
{
    struct Case {
        char const* what;
        void (*write)(ext::Table::Sentry const&);
        char const* expected;
    };
    Case const cases[] = {
        {"example row and rule",
         [](ext::Table::Sentry const& s) { s << ext::beginrow << "ab" << ext::nextrow << "x" << ext::nextrow << ext::delimeter; },
         "|  ab  | x  |\n+------+----+\n"},
        {"text of exactly the column width has no blanks",
         [](ext::Table::Sentry const& s) { s << ext::beginrow << "abcdef" << ext::nextrow << "wxyz" << ext::nextrow; },
         "|abcdef|wxyz|\n"},
        {"a longer text is written whole",
         [](ext::Table::Sentry const& s) { s << ext::beginrow << "abcdefg" << ext::nextrow << "" << ext::nextrow; },
         "|abcdefg|    |\n"},
        {"a sentry ending mid-row fills the row with blanks",
         [](ext::Table::Sentry const& s) { s << ext::beginrow << "ab" << ext::nextrow; },
         "|  ab  |    |\n"},
        {"a sentry ending after a complete row adds nothing",
         [](ext::Table::Sentry const& s) { s << ext::beginrow << 1 << ext::nextrow << 2u << ext::nextrow; },
         "|  1   | 2  |\n"},
        {"cells after a complete row without beginrow are dropped",
         [](ext::Table::Sentry const& s) { s << ext::beginrow << "a" << ext::nextrow << "b" << ext::nextrow << "c" << ext::nextrow; },
         "|  a   | b  |\n"},
        {"several values make one cell",
         [](ext::Table::Sentry const& s) { s << ext::beginrow << "fd" << std::string("=") << -3 << ext::nextrow; },
         "|fd=-3 |    |\n"},
        {"delimeter completes a started row first",
         [](ext::Table::Sentry const& s) { s << ext::beginrow << "q" << ext::nextrow << ext::delimeter; },
         "|  q   |    |\n+------+----+\n"},
    };
    for (auto const& c : cases) {
        ext::Table table(6, 4);
        EXPECT_EQ(c.expected, render(table, c.write)) << c.what;
    }
}

TEST(Table, GapWritesAnEmptyLineOfCells)
{
    ext::Table table(3);
    table.add(2);
    std::ostringstream out;
    table.row(out, "a");
    table.gap(out);
    EXPECT_EQ("| a |  |\n|   |  |\n", out.str());
}

TEST(Table, WithoutColumnsWritesNothing)
{
    ext::Table table;
    std::ostringstream out;
    table.row(out, "x");
    table.delimeter(out);
    table.gap(out);
    table.finalize(out);
    EXPECT_EQ("", out.str());
}

TEST(Table, NumbersFollowTheBaseOfTheOutputStream)
{
    ext::Table table(4);
    std::ostringstream out;
    out << std::hex;
    ext::Table::Sentry(out, table) << ext::beginrow << 255 << ext::nextrow;
    EXPECT_EQ("| ff |\n", out.str());
}

struct Stats {
    void put(std::ostream& out) const { out << "min=1 max=2"; }
};

TEST(Table, RecordsPrintThemselvesIntoACell)
{
    ext::Table table(13);
    std::ostringstream out;
    ext::Table::Sentry(out, table) << ext::beginrow << Stats() << ext::nextrow;
    EXPECT_EQ("| min=1 max=2 |\n", out.str());
}

} // namespace
