#include "protocol/asn1/value/GeneralizedTime.h"

#include "protocol/asn1/value/Visitor.h"

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>

namespace ASN1 {

GeneralizedTime::InfoType const GeneralizedTime::theInfo = {&createAs<GeneralizedTime>, 24};

namespace {

// Days since 1970-01-01 of a proleptic Gregorian date (month 1..12).
std::int64_t daysFromCivil(std::int64_t year, unsigned month, unsigned day)
{
    year -= month <= 2;
    std::int64_t era = (year >= 0 ? year : year - 399) / 400;
    std::int64_t yearOfEra = year - era * 400;
    std::int64_t dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
    std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

void civilFromDays(std::int64_t days, std::int64_t& year, unsigned& month, unsigned& day)
{
    days += 719468;
    std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    std::int64_t dayOfEra = days - era * 146097;
    std::int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    std::int64_t mp = (5 * dayOfYear + 2) / 153;
    day = static_cast<unsigned>(dayOfYear - (153 * mp + 2) / 5 + 1);
    month = static_cast<unsigned>(mp < 10 ? mp + 3 : mp - 9);
    year = yearOfEra + era * 400 + (month <= 2);
}

std::int64_t floorDiv(std::int64_t a, std::int64_t b)
{
    return a / b - (a % b != 0 && (a < 0) != (b < 0));
}

bool digitsAt(char const* text, int count)
{
    for (int i = 0; i < count; ++i)
        if (!std::isdigit(static_cast<unsigned char>(text[i])))
            return false;
    return true;
}

} // namespace

GeneralizedTime::GeneralizedTime(char const* text) : AbstractData(&theInfo) { set(text); }

GeneralizedTime::GeneralizedTime(int year, int month, int day, int hour, int minute, int second,
                                 int millisec, int mindiff, bool utc)
    : AbstractData(&theInfo), year_(year), month_(month), day_(day), hour_(hour), minute_(minute),
      second_(second), millisec_(millisec), mindiff_(mindiff), utc_(utc)
{
}

std::string GeneralizedTime::get() const
{
    char text[96];
    int length = std::snprintf(text, sizeof text, "%04d%02d%02d%02d%02d%02d",
                               year_, month_, day_, hour_, minute_, second_);
    std::string result(text, static_cast<std::size_t>(length));
    if (millisec_ != 0) {
        std::snprintf(text, sizeof text, ".%03d", millisec_);
        result += text;
    }
    if (utc_) {
        result += 'Z';
    } else if (mindiff_ != 0) {
        // The sign once, then hours and minutes of the magnitude.
        long long magnitude = mindiff_ < 0 ? -static_cast<long long>(mindiff_) : mindiff_;
        std::snprintf(text, sizeof text, "%c%02lld%02lld", mindiff_ < 0 ? '-' : '+',
                      magnitude / 60, magnitude % 60);
        result += text;
    }
    return result;
}

bool GeneralizedTime::set(char const* text)
{
    millisec_ = 0;
    mindiff_ = 0;
    utc_ = false;
    int fields = std::sscanf(text, "%4d%2d%2d%2d%2d%2d", &year_, &month_, &day_, &hour_, &minute_, &second_);
    std::size_t length = std::strlen(text);
    if (length > 14 && text[14] == '.') {
        // Exact decimal milliseconds: up to three digits, the rest ignored.
        int scale = 100;
        for (char const* digit = text + 15; std::isdigit(static_cast<unsigned char>(*digit)); ++digit) {
            millisec_ += (*digit - '0') * scale;
            scale /= 10;
        }
    }
    if (length > 0 && text[length - 1] == 'Z') {
        utc_ = true;
    } else if (length >= 5) {
        char const* offset = text + length - 5;
        // An offset is hhmm with mm below 60; anything else is not one, so
        // that every offset taken prints back as it was read.
        if ((offset[0] == '+' || offset[0] == '-') && digitsAt(offset + 1, 4) && offset[3] < '6') {
            int minutes = ((offset[1] - '0') * 10 + (offset[2] - '0')) * 60 + (offset[3] - '0') * 10 + (offset[4] - '0');
            mindiff_ = offset[0] == '-' ? -minutes : minutes;
        }
    }
    return fields == 6;
}

std::time_t GeneralizedTime::get_time_t() const
{
    // Months outside 1..12 carry into the year, as the C library does.
    std::int64_t monthIndex = static_cast<std::int64_t>(month_) - 1;
    std::int64_t year = year_ + floorDiv(monthIndex, 12);
    unsigned month = static_cast<unsigned>(monthIndex - floorDiv(monthIndex, 12) * 12 + 1);
    std::int64_t seconds = (daysFromCivil(year, month, 1) + day_ - 1) * 86400
                         + static_cast<std::int64_t>(hour_) * 3600 + static_cast<std::int64_t>(minute_) * 60 + second_;
    if (seconds < std::numeric_limits<std::time_t>::min() || seconds > std::numeric_limits<std::time_t>::max())
        return static_cast<std::time_t>(-1);
    return static_cast<std::time_t>(seconds);
}

void GeneralizedTime::set_time_t(std::time_t t)
{
    std::int64_t seconds = t;
    std::int64_t days = floorDiv(seconds, 86400);
    std::int64_t secondOfDay = seconds - days * 86400;
    std::int64_t year;
    unsigned month;
    unsigned day;
    civilFromDays(days, year, month, day);
    year_ = static_cast<int>(year);
    month_ = static_cast<int>(month);
    day_ = static_cast<int>(day);
    hour_ = static_cast<int>(secondOfDay / 3600);
    minute_ = static_cast<int>(secondOfDay / 60 % 60);
    second_ = static_cast<int>(secondOfDay % 60);
}

int GeneralizedTime::do_compare(AbstractData const& other) const
{
    GeneralizedTime const* peer = peerOf<GeneralizedTime>(other);
    if (!peer)
        return compareUnrelated(other);
    int const mine[] = {year_, month_, day_, hour_, minute_, second_, millisec_, utc_};
    int const theirs[] = {peer->year_, peer->month_, peer->day_, peer->hour_, peer->minute_,
                          peer->second_, peer->millisec_, peer->utc_};
    for (std::size_t i = 0; i < sizeof mine / sizeof mine[0]; ++i)
        if (mine[i] != theirs[i])
            return compareValues(mine[i], theirs[i]);
    return 0;
}

AbstractData* GeneralizedTime::do_clone() const { return cloneThroughRecord(*this); }
bool GeneralizedTime::do_accept(Visitor& visitor) { return visitor.visit(*this); }
bool GeneralizedTime::do_accept(ConstVisitor& visitor) const { return visitor.visit(*this); }

} // namespace ASN1
