#include "runtime/text/ExtBufInHex.h"
#include "runtime/text/ExtHeader.h"
#include "runtime/text/ExtQuoted.h"
#include "runtime/text/ExtTable.h"
#include "runtime/text/ExtUnsignedInHex.h"

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
    void PutHeader(std::ostream& out) const override { out << "ctrl [peer]: "; }
};
struct Inheriting : Base {};

TEST(TextOutput, HeadersAndQuotedTexts)
{
    Derived d;
    Inheriting i;
    char const* name = "eth0";
    char const* none = nullptr;
    std::ostringstream out;
    out << ext::header(&d) << ext::header(&i) << ext::quoted(name) << ext::quoted(none) << 1;
    EXPECT_EQ("ctrl [peer]: base: \"eth0\"\"\"1", out.str());
}

TEST(TextOutput, HexDumpsOfBuffersAndNumbers)
{
    struct Case { std::vector<unsigned char> bytes; char const* expected; };
    Case const buffers[] = {{{}, ""}, {{0x01, 0xAB}, "01 AB "}, {{0x00, 0xF0, 0xFF}, "00 F0 FF "}};
    for (auto const& c : buffers) {
        std::ostringstream out;
        out << ext::OutBufInHex(c.bytes.data(), c.bytes.data() + c.bytes.size());
        EXPECT_EQ(c.expected, out.str());
    }
    struct Number { uint32_t value; int width; char const* expected; };
    Number const numbers[] = {{0x1F, 4, "0x001F"}, {0x1F, 0, "0x1F"}, {0, 0, "0x0"}, {0xDEADBEEF, 2, "0xDEADBEEF"}};
    for (auto const& c : numbers) {
        std::ostringstream out;
        out << ext::OutUnsignedInHex(c.value, c.width);
        EXPECT_EQ(c.expected, out.str());
    }
}

TEST(TextOutput, HexDumpsLeaveTheStreamFormatAsItWas)
{
    unsigned char const bytes[] = {0x0A};
    std::ostringstream out;
    out << std::setfill('*') << std::showpos;
    out << ext::OutBufInHex(bytes, sizeof bytes) << ext::OutUnsignedInHex(0xA, 3) << std::setw(4) << 12 << ' ' << 255;
    EXPECT_EQ("0A 0x00A*+12 +255", out.str());
}

using Writer = void (*)(ext::Table::Sentry const&);

TEST(TextTable, CentresCellsAndCompletesRows)
{
    struct Case { char const* what; Writer write; char const* expected; };
    Case const cases[] = {
        {"row and rule", [](auto& s) { s << ext::beginrow << "ab" << ext::nextrow << "x" << ext::nextrow << ext::delimeter; },
         "|  ab  | x  |\n+------+----+\n"},
        {"exact width", [](auto& s) { s << ext::beginrow << "abcdef" << ext::nextrow << "wxyz" << ext::nextrow; },
         "|abcdef|wxyz|\n"},
        {"too wide", [](auto& s) { s << ext::beginrow << "abcdefg" << ext::nextrow << "" << ext::nextrow; },
         "|abcdefg|    |\n"},
        {"sentry ends mid-row", [](auto& s) { s << ext::beginrow << "ab" << ext::nextrow; }, "|  ab  |    |\n"},
        {"numbers, cells after a complete row dropped",
         [](auto& s) { s << ext::beginrow << -1 << ext::nextrow << 2u << ext::nextrow << "c" << ext::nextrow; },
         "|  -1  | 2  |\n"},
        {"rule after a started row", [](auto& s) { s << ext::beginrow << "q" << ext::nextrow << ext::delimeter; },
         "|  q   |    |\n+------+----+\n"},
    };
    for (auto const& c : cases) {
        ext::Table table(6, 4);
        std::ostringstream out;
        c.write(ext::Table::Sentry(out, table));
        EXPECT_EQ(c.expected, out.str()) << c.what;
    }
}

struct Stats {
    void put(std::ostream& out) const { out << "min=1"; }
};

TEST(TextTable, GapsRecordsAndTheStreamBase)
{
    ext::Table table(3);
    table.add(5);
    std::ostringstream out;
    out << std::hex;
    ext::Table::Sentry(out, table) << ext::beginrow << 255 << ext::nextrow << Stats() << ext::nextrow;
    table.resetrow();
    table.row(out, "a");
    table.gap(out);
    EXPECT_EQ("|ff |min=1|\n| a |     |\n|   |     |\n", out.str());

    ext::Table empty;
    std::ostringstream none;
    empty.row(none, "x");
    empty.delimeter(none);
    empty.gap(none);
    EXPECT_EQ("", none.str());
}

} // namespace
