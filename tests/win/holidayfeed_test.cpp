#include "calendar/calendarpopup_win.h"

#include "harness.h"
#include "testserver.h"

#include <algorithm>

using namespace vemora;
using namespace vemora::test;

namespace {

std::string Fixture(const wchar_t* name) {
    return ReadFileBytes(Utf8ToWide(VEMORA_FIXTURES) + L"\\holidays\\" + name);
}

// The data set on a local stand-in: the file for 2027 as the test sets it, 404
// for every other year, as the data set answers for a year it has no file for.
struct HolidaySchedules : ClockFixture {
    std::string body2027 = Fixture(L"2027.json");
    LocalHttpServer server{[this](const std::string& target) {
        if (target.ends_with("/2027.json"))
            return HttpReply{200, "application/json", body2027};
        return HttpReply{404, "text/plain", "Not Found"};
    }};

    std::string Api() const { return "HolidayApi=http://" + server.Host() + "/holiday-cn\r\nwake=0\r\nLunar=1\r\n"; }
    size_t Asked2027() const {
        const std::vector<std::string> targets = server.Targets();
        return static_cast<size_t>(std::count(targets.begin(), targets.end(), "/holiday-cn/2027.json"));
    }
    // Started with these options, once 2027 was asked for and answered.
    void StartAndSettle(const std::string& options) {
        const size_t before = Asked2027();
        CreateSettled(options);
        ASSERT_TRUE(PumpUntil([&] { return Asked2027() > before && !main->WorkersRunning(); }));
    }
    // The pop-up on a day, and what it says, line by line.
    std::wstring PopupOn(int year, int month, int day) {
        main->OpenCalendar();
        main->calendarPopup()->Calendar().Model().SetDate(EncodeDate(year, month, day));
        wchar_t text[2048] = {};
        GetWindowTextW(main->calendarPopup()->Handle(), text, 2048);
        return text;
    }
    DayArrangement On(int year, int month, int day) { return ArrangementOf(main->Holidays(), year, month, day); }
};

} // namespace

TEST_F(HolidaySchedules, AFetchedYearIsMarkedAndKeptForTheNextStart) {
    StartAndSettle(Api());
    EXPECT_EQ(On(2027, 2, 8), DayArrangement::Holiday);
    EXPECT_EQ(On(2027, 2, 20), DayArrangement::Workday);
    // The day line, the countdown (from today), then the almanac's lines.
    EXPECT_TRUE(
        PopupOn(2027, 2, 8).starts_with(L"2027年2月8日 星期一 农历正月初三 休 春节\r\n距元旦还有25天\r\n干支："));
    const std::string kept = ReadFileBytes(folder.File(L"holidays.cache"));
    EXPECT_NE(kept.find("D 2027-02-08 1 春节"), std::string::npos);

    // The stand-in gone: the kept schedule, before and without any answer.
    main.reset();
    WriteIni("[Option]\r\nHolidayApi=http://127.0.0.1:9\r\nwake=0\r\nLunar=1\r\n");
    Create(true);
    EXPECT_EQ(On(2027, 2, 8), DayArrangement::Holiday);
    SettleWorkers();
    EXPECT_EQ(On(2027, 2, 8), DayArrangement::Holiday);
}

TEST_F(HolidaySchedules, AnUnpublishedYearIsSaidAndNotMarked) {
    body2027 = Fixture(L"2027-empty.json");
    StartAndSettle(Api());
    EXPECT_FALSE(main->Holidays().YearKnown(2027));
    EXPECT_EQ(On(2027, 1, 1), DayArrangement::Ordinary);
    const std::wstring shown = PopupOn(2027, 1, 1);
    EXPECT_TRUE(shown.starts_with(L"2027年1月1日 星期五 农历冬月")) << shown;
    EXPECT_NE(shown.find(L"\r\n距元旦还有25天\r\n2027年放假安排尚未公布\r\n干支："), std::wstring::npos) << shown;
}

TEST_F(HolidaySchedules, ABrokenAnswerChangesNothing) {
    StartAndSettle(Api());
    main.reset();
    body2027 = Fixture(L"2027-broken.json");
    fakeClock.now.day += 8; // a week on: the known year is checked again
    StartAndSettle(Api());
    EXPECT_EQ(On(2027, 2, 8), DayArrangement::Holiday);
    EXPECT_NE(ReadFileBytes(folder.File(L"holidays.cache")).find("D 2027-02-08 1 春节"), std::string::npos);
}

TEST_F(HolidaySchedules, TheUsersLineStillWins) {
    WriteFileBytes(folder.File(L"holidays.txt"), "2027-02-08 班\n");
    StartAndSettle(Api());
    EXPECT_EQ(On(2027, 2, 8), DayArrangement::Workday);
    EXPECT_EQ(On(2027, 2, 9), DayArrangement::Holiday);
}
