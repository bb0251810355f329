#include <gtest/gtest.h>

#include "edit/calendar_edit.h"
#include "support/test_support.h"

namespace livra {

namespace {

CalendarEntry at(int hour, int minute, int program) {
    return CalendarEntry{uint8_t(minute), uint8_t(hour), uint8_t(program)};
}

}  // namespace

TEST(CalendarEdit, AddAndEditKeepTheDayInTimeOrderWithoutDuplicates) {
    auto c = test::newConfiguration();
    ASSERT_EQ(addAlarm(*c, 0, 8, 0, 5), AlarmResult::Stored);
    EXPECT_EQ(c->Calendar[0][0], at(8, 0, 5));
    EXPECT_EQ(c->Modified, 1);
    ASSERT_EQ(addAlarm(*c, 0, 6, 30, 4), AlarmResult::Stored);
    EXPECT_EQ(c->Calendar[0][0], at(6, 30, 4));
    EXPECT_EQ(c->Calendar[0][1], at(8, 0, 5));
    EXPECT_TRUE(c->Calendar[0][2].empty());

    const auto monday = c->Calendar[0];
    EXPECT_EQ(addAlarm(*c, 0, 8, 0, 2), AlarmResult::DuplicateTime);
    EXPECT_EQ(editAlarm(*c, 0, 1, 6, 30, 5), AlarmResult::DuplicateTime);
    EXPECT_EQ(addAlarm(*c, 0, 24, 0, 4), AlarmResult::Refused);
    EXPECT_EQ(addAlarm(*c, 0, 7, 60, 4), AlarmResult::Refused);
    EXPECT_EQ(addAlarm(*c, 0, 7, 0, 1), AlarmResult::Refused) << "program 1 is never offered";
    EXPECT_EQ(addAlarm(*c, 0, 7, 0, 17), AlarmResult::Refused);
    EXPECT_EQ(addAlarm(*c, 7, 7, 0, 4), AlarmResult::Refused);
    EXPECT_EQ(c->Calendar[0], monday);

    // The same time with another program, and a move that re-sorts the day.
    ASSERT_EQ(editAlarm(*c, 0, 1, 8, 0, 2), AlarmResult::Stored);
    EXPECT_EQ(c->Calendar[0][1], at(8, 0, 2));
    ASSERT_EQ(editAlarm(*c, 0, 1, 5, 15, 2), AlarmResult::Stored);
    EXPECT_EQ(c->Calendar[0][0], at(5, 15, 2));
    EXPECT_EQ(c->Calendar[0][1], at(6, 30, 4));
    // Tuesday is a day of its own.
    EXPECT_EQ(addAlarm(*c, 1, 6, 30, 4), AlarmResult::Stored);
}

TEST(CalendarEdit, AFullDayTakesNoMoreAlarms) {
    auto c = test::newConfiguration();
    for (int h = 0; h < AlarmCount; ++h) ASSERT_EQ(addAlarm(*c, 2, 23 - h, 0, 4), AlarmResult::Stored) << h;
    EXPECT_EQ(c->Calendar[2][0], at(0, 0, 4));
    EXPECT_EQ(c->Calendar[2][23], at(23, 0, 4));
    const auto day = c->Calendar[2];
    EXPECT_EQ(addAlarm(*c, 2, 12, 30, 4), AlarmResult::DayFull);
    EXPECT_EQ(c->Calendar[2], day);
    // Full, then one deleted: room again.
    ASSERT_TRUE(deleteAlarm(*c, 2, 0));
    EXPECT_TRUE(c->Calendar[2][23].empty());
    EXPECT_EQ(addAlarm(*c, 2, 12, 30, 4), AlarmResult::Stored);
}

TEST(CalendarEdit, SortIsStableAndPutsEmptyEntriesLast) {
    auto c = test::newConfiguration();
    CalendarDay& d = c->Calendar[4];
    // As a file may leave a day: holes, equal times, a byte the lists cannot show.
    d[0] = CalendarEntry{};
    d[1] = at(10, 5, 4);
    d[2] = at(200, 0, 6);
    d[3] = at(10, 5, 7);
    d[5] = at(1, 0, 3);
    d[7] = at(10, 5, 9);
    sortCalendar(*c);
    EXPECT_EQ(d[0], at(1, 0, 3));
    EXPECT_EQ(d[1], at(10, 5, 4));
    EXPECT_EQ(d[2], at(10, 5, 7));
    EXPECT_EQ(d[3], at(10, 5, 9));
    EXPECT_EQ(d[4], at(200, 0, 6)) << "an odd entry does not hide behind the empty ones";
    for (int i = 5; i < AlarmCount; ++i) EXPECT_TRUE(d[i].empty()) << i;

    // Deleting the first of three: the other two move to the front.
    auto e = test::newConfiguration();
    for (int h : {6, 9, 12}) addAlarm(*e, 0, h, 0, 4);
    ASSERT_TRUE(deleteAlarm(*e, 0, 0));
    EXPECT_EQ(e->Calendar[0][0], at(9, 0, 4));
    EXPECT_EQ(e->Calendar[0][1], at(12, 0, 4));
    EXPECT_TRUE(e->Calendar[0][2].empty());
    EXPECT_FALSE(deleteAlarm(*e, 0, 24));
    EXPECT_FALSE(deleteAlarm(*e, -1, 0));
}

TEST(CalendarEdit, EntriesTheListsCannotShowAreNotEdited) {
    auto c = test::newConfiguration();
    CalendarDay& d = c->Calendar[0];
    d[0] = at(24, 0, 4);
    d[1] = at(7, 60, 4);
    d[2] = at(7, 0, 1);
    d[3] = at(7, 0, 17);
    for (int row = 0; row < 5; ++row) {  // row 4 is empty
        EXPECT_FALSE(isEditableAlarm(d[row])) << row;
        EXPECT_EQ(editAlarm(*c, 0, row, 8, 0, 4), AlarmResult::Refused) << row;
    }
    EXPECT_EQ(d[0], at(24, 0, 4));
    EXPECT_TRUE(isEditableAlarm(at(23, 59, 16)));
    EXPECT_TRUE(isEditableAlarm(at(0, 0, 2)));
    // Deleting them still works.
    ASSERT_TRUE(deleteAlarm(*c, 0, 0));
    EXPECT_EQ(d[0], at(7, 0, 1));
}

TEST(CalendarEdit, CopyDayReplacesAllEntries) {
    auto c = test::newConfiguration();
    addAlarm(*c, 0, 6, 0, 4);
    addAlarm(*c, 0, 23, 0, 2);
    for (int h = 0; h < 5; ++h) addAlarm(*c, 6, h, 30, 5);
    c->Modified = 0;
    ASSERT_TRUE(copyDay(*c, 0, 6));
    EXPECT_EQ(c->Calendar[6], c->Calendar[0]);
    EXPECT_TRUE(c->Calendar[6][2].empty());
    EXPECT_EQ(c->Modified, 1);
    EXPECT_FALSE(copyDay(*c, 0, 7));
    EXPECT_FALSE(copyDay(*c, -1, 0));
}

TEST(CalendarEdit, TemplatesApplyToSeveralDaysAllOrNothing) {
    auto c = test::newConfiguration();
    // "Будни": 06:30 program 4 on Monday to Friday, Saturday and Sunday untouched.
    EXPECT_EQ(addAlarmToDays(*c, kWeekdays, 6, 30, 4).result, AlarmResult::Stored);
    for (int d = 0; d < 5; ++d) EXPECT_EQ(c->Calendar[d][0], at(6, 30, 4)) << d;
    EXPECT_TRUE(c->Calendar[5][0].empty());
    EXPECT_TRUE(c->Calendar[6][0].empty());
    // "Каждый день" 06:30 again: Monday has the time, so no day changes.
    const auto before = c->Calendar;
    const DaysAlarmResult taken = addAlarmToDays(*c, kEveryDay, 6, 30, 5);
    EXPECT_EQ(taken.result, AlarmResult::DuplicateTime);
    EXPECT_EQ(taken.day, 0);
    EXPECT_EQ(c->Calendar, before);
    EXPECT_EQ(addAlarmToDays(*c, kWeekend, 8, 0, 5).result, AlarmResult::Stored);
    EXPECT_EQ(c->Calendar[6][0], at(8, 0, 5));
    EXPECT_EQ(addAlarmToDays(*c, 0, 8, 0, 5).result, AlarmResult::Refused);
    EXPECT_EQ(addAlarmToDays(*c, kEveryDay, 24, 0, 5).result, AlarmResult::Refused);

    // Monday copied to chosen days: Wednesday and Sunday, in time order.
    ASSERT_TRUE(addAlarm(*c, 0, 22, 0, 6) == AlarmResult::Stored);
    ASSERT_TRUE(copyDayTo(*c, 0, dayBit(2) | dayBit(6) | dayBit(0)));
    EXPECT_EQ(c->Calendar[2], c->Calendar[0]);
    EXPECT_EQ(c->Calendar[6], c->Calendar[0]);
    EXPECT_EQ(c->Calendar[1][1], CalendarEntry{});
    EXPECT_FALSE(copyDayTo(*c, 7, kEveryDay));
}

TEST(CalendarEdit, TypedTimesOfDay) {
    const struct {
        const char* text;
        int hour, minute;
    } good[] = {{"06:30", 6, 30}, {"6:30", 6, 30}, {"0630", 6, 30}, {"23:59", 23, 59}, {"7", 7, 0}, {" 00:00 ", 0, 0},
                {"12.05", 12, 5}};
    for (const auto& g : good) {
        int h = -1, m = -1;
        EXPECT_TRUE(parseTimeOfDay(g.text, h, m)) << g.text;
        EXPECT_EQ(h, g.hour) << g.text;
        EXPECT_EQ(m, g.minute) << g.text;
    }
    for (const char* bad : {"", "24:00", "12:60", "6:3", "-1:00", "ab:cd", "123:00", "12:345", "1:2:3", "99", "06:"}) {
        int h = 5, m = 5;
        EXPECT_FALSE(parseTimeOfDay(bad, h, m)) << bad;
        EXPECT_EQ(h, 5);
    }
}

}  // namespace livra
