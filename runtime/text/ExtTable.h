#pragma once
// Fixed-width text tables for the status dump. A table knows its column
// widths and where the current row stands; it writes each cell centred in
// its column between '|' borders, completes a row with blank cells on
// request, and draws rule lines ("+----+--+") and empty lines.
//
// Rows are usually written through a short-lived Sentry that collects a
// cell's text from ordinary values and hands it to the table on ext::nextrow:
//
//     ext::Table::Sentry(out, table) << ext::beginrow << name << ext::nextrow
//                                    << count << ext::nextrow << ext::delimeter;
//
// A row is complete once its last cell is written; the next one starts with
// ext::beginrow (cells written before that are dropped). A sentry destroyed in
// the middle of a row fills the rest of the row with blank cells.
#include <ostream>
#include <sstream>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

namespace ext {

class Table {
public:
    // Up to seven column widths, in column order.
    template <typename... Widths,
              typename = std::enable_if_t<(std::is_convertible_v<Widths, int> && ...)>>
    explicit Table(Widths... widths) : widths_{static_cast<int>(widths)...}
    {
        static_assert(sizeof...(Widths) <= 7, "a table is made with at most seven columns; add() more");
    }

    void add(int width) { widths_.push_back(width); }
    void init() { resetrow(); }
    void resetrow()
    {
        column_ = 0;
        rowOpen_ = false;
    }

    // Writes text as the next cell of the current row; nothing when the row
    // is already complete. The last cell ends the line. A text wider than its
    // column is written whole.
    void row(std::ostream& out, std::string const& text);
    // Completes a started row with blank cells.
    void finalize(std::ostream& out);
    // Completes a started row, then writes a rule line.
    void delimeter(std::ostream& out);
    // Completes a started row, then writes a line of empty cells.
    void gap(std::ostream& out);

    class Sentry;

private:
    void line(std::ostream& out, char border, char filler);

    std::vector<int> widths_;
    int column_ = 0;
    bool rowOpen_ = false;
};

class Table::Sentry {
public:
    Sentry(std::ostream& out, Table& table) : out_(out), table_(table) {}
    ~Sentry() { table_.finalize(out_); }
    Sentry(Sentry const&) = delete;
    Sentry& operator=(Sentry const&) = delete;

    // The collected text becomes the next cell; the collection starts afresh.
    void row() const;

    std::ostream& stream() const { return out_; }
    Table& table() const { return table_; }
    // The cell being collected, formatted with the base of the output stream.
    std::ostream& cell() const
    {
        cell_.flags(out_.flags());
        return cell_;
    }

private:
    std::ostream& out_;
    Table& table_;
    mutable std::ostringstream cell_;
};

using TableManipulator = Table::Sentry const& (*)(Table::Sentry const&);

// The following cells start a new row.
Table::Sentry const& beginrow(Table::Sentry const& s);
// The collected text becomes the next cell.
Table::Sentry const& nextrow(Table::Sentry const& s);
// Completes a started row and writes a rule line.
Table::Sentry const& delimeter(Table::Sentry const& s);

inline Table::Sentry const& operator<<(Table::Sentry const& s, TableManipulator manipulator)
{
    return manipulator(s);
}

inline Table::Sentry const& operator<<(Table::Sentry const& s, std::string const& text)
{
    s.cell() << text;
    return s;
}

inline Table::Sentry const& operator<<(Table::Sentry const& s, char const* text)
{
    s.cell() << (text ? text : "");
    return s;
}

inline Table::Sentry const& operator<<(Table::Sentry const& s, int value)
{
    s.cell() << value;
    return s;
}

inline Table::Sentry const& operator<<(Table::Sentry const& s, unsigned value)
{
    s.cell() << value;
    return s;
}

// Records that print themselves with put(std::ostream&) const, such as the
// loop's duration statistics.
template <typename T>
auto operator<<(Table::Sentry const& s, T const& value)
    -> decltype(value.put(std::declval<std::ostream&>()), s)
{
    value.put(s.cell());
    return s;
}

} // namespace ext
