#pragma once
// ASN.1 GeneralizedTime: date and time fields, milliseconds, an offset from
// UTC in minutes and a UTC flag, with the text form
// YYYYMMDDhhmmss[.fff][Z|(+|-)hhmm].
#include "protocol/asn1/value/AbstractData.h"

#include <ctime>
#include <string>

namespace ASN1 {

class GeneralizedTime : public AbstractData {
public:
    typedef AbstractData::InfoType InfoType;
    static InfoType const theInfo;

    // 0001-01-01 00:00:00, no milliseconds, no offset, not UTC.
    explicit GeneralizedTime(InfoType const* info = &theInfo) : AbstractData(info) {}
    explicit GeneralizedTime(char const* text);
    GeneralizedTime(int year, int month, int day, int hour, int minute, int second,
                    int millisec, int mindiff, bool utc);

    int getYear() const { return year_; }
    int getMonth() const { return month_; }
    int getDay() const { return day_; }
    int getHour() const { return hour_; }
    int getMinute() const { return minute_; }
    int getSecond() const { return second_; }
    int getMillisec() const { return millisec_; }
    int getMinuteDifference() const { return mindiff_; }
    bool getUTC() const { return utc_; }

    std::string get() const;
    // Reads the text form. Milliseconds, offset and UTC flag take what the
    // text says (0 when it says nothing); a date or time field the text does
    // not give keeps its value. True when all six date and time fields were
    // there.
    bool set(char const* text);

    // The date and time fields taken as UTC, in seconds since the epoch;
    // (time_t)-1 when they lie outside what time_t holds.
    std::time_t get_time_t() const;
    // Sets the date and time fields from t in UTC; the rest stays.
    void set_time_t(std::time_t t);

    // A real date and time of day (hour 24 allowed) and an offset of at
    // most twelve hours.
    bool isStrictlyValid() const;

private:
    int do_compare(AbstractData const& other) const override;
    AbstractData* do_clone() const override;
    bool do_accept(Visitor& visitor) override;
    bool do_accept(ConstVisitor& visitor) const override;

    int year_ = 1;
    int month_ = 1;
    int day_ = 1;
    int hour_ = 0;
    int minute_ = 0;
    int second_ = 0;
    int millisec_ = 0;
    int mindiff_ = 0;
    bool utc_ = false;
};

} // namespace ASN1
