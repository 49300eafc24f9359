#include "base/datetime.h"

#include <gtest/gtest.h>

using namespace vemora;

TEST(DateTime, KnownDaysAndRoundTrip) {
    EXPECT_EQ(EncodeDate(1899, 12, 30), 0);
    EXPECT_EQ(EncodeDate(1900, 1, 1), 2);
    EXPECT_EQ(EncodeDate(2026, 1, 1), 46023);
    EXPECT_EQ(EncodeDate(1, 1, 1), -693593);
    EXPECT_EQ(DayOfWeekSundayFirst(0), 7);               // Saturday
    EXPECT_EQ(DayOfWeekIso(EncodeDate(2026, 12, 7)), 1); // a Monday
    EXPECT_THROW(EncodeDate(2026, 2, 29), std::out_of_range);
    EXPECT_THROW(EncodeDate(0, 12, 1), std::out_of_range);
    for (double d : {-693593.0, -1.0, 0.0, 59.0, 60.0, 46023.0, 2958465.0}) {
        DateParts p = DecodeDate(d);
        EXPECT_EQ(EncodeDate(p.year, p.month, p.day), d);
    }
    DateTimeParts t = DecodeDateTime(46023 + EncodeTime(8, 0, 0, 500));
    EXPECT_EQ(t.year, 2026);
    EXPECT_EQ(t.hour, 8);
    EXPECT_EQ(t.second, 0);
    EXPECT_EQ(t.millisecond, 500);
    DateTimeParts late = DecodeDateTime(EncodeDate(2026, 3, 1) - 1e-9); // rounds to midnight
    EXPECT_EQ(late.day, 1);
    EXPECT_EQ(late.hour, 0);
}

TEST(DateTime, TimeZoneBiasInForce) {
    struct Row {
        int bias, standard, daylight;
        TimeZoneState state;
        int inForce;
    };
    const Row rows[] = {
        {-480, 0, 0, TimeZoneState::Unknown, -480},   // Shanghai: no daylight saving
        {300, 0, -60, TimeZoneState::Standard, 300},  // New York in winter
        {300, 0, -60, TimeZoneState::Daylight, 240},  // and in summer
        {-60, 15, -60, TimeZoneState::Standard, -45}, // a standard bias of its own
        {-60, 15, -60, TimeZoneState::Unknown, -60},
    };
    for (const Row& r : rows)
        EXPECT_EQ(BiasInForce(r.bias, r.standard, r.daylight, r.state), r.inForce) << r.bias << " " << r.inForce;
}
