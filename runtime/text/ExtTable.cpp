#include "runtime/text/ExtTable.h"

#include <algorithm>

namespace ext {

namespace {

void blanks(std::ostream& out, int count)
{
    for (int i = 0; i < count; ++i)
        out << ' ';
}

} // namespace

void Table::row(std::ostream& out, std::string const& text)
{
    int const columns = static_cast<int>(widths_.size());
    if (column_ >= columns)
        return;
    rowOpen_ = true;
    int const width = std::max(widths_[column_], 0);
    int const used = static_cast<int>(std::min<std::size_t>(text.size(), static_cast<std::size_t>(width)));
    out << '|';
    blanks(out, (width - used) / 2);
    out << text;
    blanks(out, (width - used + 1) / 2);
    if (++column_ == columns) {
        out << "|\n";
        rowOpen_ = false;
    }
}

void Table::finalize(std::ostream& out)
{
    while (rowOpen_ && column_ < static_cast<int>(widths_.size()))
        row(out, " ");
}

void Table::delimeter(std::ostream& out)
{
    finalize(out);
    line(out, '+', '-');
}

void Table::gap(std::ostream& out)
{
    finalize(out);
    line(out, '|', ' ');
}

void Table::line(std::ostream& out, char border, char filler)
{
    if (widths_.empty())
        return;
    for (int width : widths_)
        out << border << std::string(static_cast<std::size_t>(std::max(width, 0)), filler);
    out << border << '\n';
}

void Table::Sentry::row() const
{
    table_.row(out_, cell_.str());
    cell_.str(std::string());
}

Table::Sentry const& beginrow(Table::Sentry const& s)
{
    s.table().resetrow();
    return s;
}

Table::Sentry const& nextrow(Table::Sentry const& s)
{
    s.row();
    return s;
}

Table::Sentry const& delimeter(Table::Sentry const& s)
{
    s.table().delimeter(s.stream());
    return s;
}

} // namespace ext
