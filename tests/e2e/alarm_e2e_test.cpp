// The real Vemora.exe ringing its alarms at set dates of 2026: the clock runs
// under libfaketime, each start at a date of its own, side by side.
#include "base/text_win.h"
#include "clockprocess.h"
#include "helpers.h"

#include <gtest/gtest.h>

#include <memory>

using namespace vemora;
using namespace vemora::e2e;
using vemora::test::ReadFileBytes;
using vemora::test::TempFolder;
using vemora::test::WriteFileBytes;

namespace {

constexpr wchar_t kFakeTimeLibrary[] = L"/usr/lib/x86_64-linux-gnu/faketime/libfaketimeMT.so.1";

// Starts the clock with its clock at the date: the variables reach the new
// process's Unix side, and only that process's.
std::unique_ptr<ClockProcess> StartAt(const TempFolder& folder, const wchar_t* when) {
    SetEnvironmentVariableW(L"LD_PRELOAD", kFakeTimeLibrary);
    SetEnvironmentVariableW(L"FAKETIME", (std::wstring(L"@") + when).c_str());
    SetEnvironmentVariableW(L"NO_FAKE_STAT", L"1");
    SetEnvironmentVariableW(L"DONT_FAKE_MONOTONIC", L"1");
    auto clock = std::make_unique<ClockProcess>(folder);
    for (const wchar_t* name : {L"LD_PRELOAD", L"FAKETIME", L"NO_FAKE_STAT", L"DONT_FAKE_MONOTONIC"})
        SetEnvironmentVariableW(name, nullptr);
    return clock;
}

std::wstring TextOf(HWND window) {
    wchar_t text[1024] = {};
    GetWindowTextW(window, text, 1024);
    return text;
}

// The alarm window's text once it shows and holds `wanted`; empty if it never does.
std::wstring WaitForAlarm(const ClockProcess& clock, const std::wstring& wanted, int timeoutMs) {
    std::wstring shown;
    WaitFor(
        [&] {
            HWND alarm = clock.FindWindowOfClass(L"TVemoraAlarm");
            shown = alarm && IsWindowVisible(alarm) ? TextOf(alarm) : L"";
            return shown.find(wanted) != std::wstring::npos;
        },
        timeoutMs, 200);
    return shown.find(wanted) != std::wstring::npos ? shown : L"";
}

// The text of one section of the file, up to the next.
std::string SectionText(const std::string& file, const std::string& section) {
    const size_t at = file.find("[" + section + "]");
    if (at == std::string::npos)
        return {};
    const size_t end = file.find("\r\n[", at);
    return file.substr(at, end == std::string::npos ? std::string::npos : end - at);
}

} // namespace

// 2026-02-14 is a 班 Saturday, 2026-02-16 a Monday of the 春节 break (休),
// 2026-03-02 a plain Monday.
TEST(AlarmEndToEnd, RingOnWorkingDaysSnoozeAndStoreOnceAlarmsOff) {
    if (GetFileAttributesW((L"Z:" + std::wstring(kFakeTimeLibrary)).c_str()) == INVALID_FILE_ATTRIBUTES)
        GTEST_SKIP() << "libfaketime is not installed";
    const std::string work = WideToGbk(L"上班");
    TempFolder saturdayFolder, holidayFolder, mondayFolder;
    const std::wstring saturdayIni = saturdayFolder.File(L"clockset.ini");
    WriteFileBytes(saturdayIni, "[Option]\r\nwake=0\r\n"
                                "[Alarm1]\r\nTime=07:30\r\nRepeat=workdays\r\nLabel=" +
                                    work +
                                    "\r\nSnooze=1\r\n"
                                    "[Alarm2]\r\nTime=07:30\r\nRepeat=weekdays\r\nLabel=weekdays\r\n"
                                    "[Alarm3]\r\nTime=07:31\r\nRepeat=once\r\nDate=2026-02-14\r\nLabel=once\r\n"
                                    "[Kept]\r\nMine=1\r\n");
    const std::string workdaysAndDaily =
        "[Option]\r\nwake=0\r\n[Alarm1]\r\nTime=07:30\r\nRepeat=workdays\r\nLabel=" + work +
        "\r\n[Alarm2]\r\nTime=07:30\r\nRepeat=daily\r\nLabel=daily\r\n";
    WriteFileBytes(holidayFolder.File(L"clockset.ini"), workdaysAndDaily);
    WriteFileBytes(mondayFolder.File(L"clockset.ini"), workdaysAndDaily);

    auto saturday = StartAt(saturdayFolder, L"2026-02-14 07:29:25");
    auto holiday = StartAt(holidayFolder, L"2026-02-16 07:29:25");
    auto monday = StartAt(mondayFolder, L"2026-03-02 07:29:25");
    for (ClockProcess* clock : {saturday.get(), holiday.get(), monday.get()})
        ASSERT_NE(clock->WaitForWindow(L"Tfrmmain", 30000), nullptr);
    // Wine starts a program with its parent's Unix environment, not the one
    // set here: where the preload does not reach the clock, its time is today's.
    std::wstring shownTime;
    WaitFor([&] { return !(shownTime = TextOf(saturday->FindWindowOfClass(L"Tfrmmain"))).empty(); }, 10000);
    if (shownTime.rfind(L"07:", 0) != 0) {
        for (ClockProcess* clock : {saturday.get(), holiday.get(), monday.get()})
            PostMessageW(clock->FindWindowOfClass(L"Tfrmmain"), WM_CLOSE, 0, 0);
        GTEST_SKIP() << "the set date does not reach the clock (it shows " << WideToUtf8(shownTime) << ")";
    }

    // The 班 Saturday: the working-day alarm rings, label and time first; Monday to Friday does not.
    const std::wstring rung = WaitForAlarm(*saturday, L"上班  07:30", 60000);
    EXPECT_EQ(rung.rfind(L"上班  07:30", 0), 0u) << "the label and time come first";
    EXPECT_EQ(rung.find(L"weekdays"), std::wstring::npos) << std::string(WideToUtf8(rung));
    // The 休 Monday rings only the daily alarm; the plain Monday the working-day one.
    const std::wstring onHoliday = WaitForAlarm(*holiday, L"daily", 20000);
    EXPECT_NE(onHoliday, L"");
    EXPECT_EQ(onHoliday.find(L"上班"), std::wstring::npos) << std::string(WideToUtf8(onHoliday));
    EXPECT_NE(WaitForAlarm(*monday, L"上班  07:30", 20000), L"");

    // 稍后提醒 with Snooze=1: the window goes, and comes back a minute later,
    // beside the once alarm of 07:31.
    HWND alarm = saturday->FindWindowOfClass(L"TVemoraAlarm");
    SendMessageW(GetDlgItem(alarm, 10), BM_CLICK, 0, 0);
    EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(alarm); }, 5000));
    const std::wstring again = WaitForAlarm(*saturday, L"上班  07:30", 90000);
    EXPECT_NE(again, L"") << "the snoozed alarm rings again";
    EXPECT_NE(WaitForAlarm(*saturday, L"once  07:31", 10000), L"");
    SendMessageW(GetDlgItem(alarm, 11), BM_CLICK, 0, 0);

    for (ClockProcess* clock : {saturday.get(), holiday.get(), monday.get()}) {
        PostMessageW(clock->FindWindowOfClass(L"Tfrmmain"), WM_CLOSE, 0, 0);
        EXPECT_TRUE(clock->WaitForExit(15000));
    }
    // The once alarm is stored switched off, the GBK label and the unknown section as they were.
    const std::string file = ReadFileBytes(saturdayIni);
    EXPECT_NE(SectionText(file, "Alarm3").find("Enabled=0"), std::string::npos) << file;
    EXPECT_NE(SectionText(file, "Alarm1").find("Label=" + work + "\r\n"), std::string::npos) << file;
    EXPECT_NE(SectionText(file, "Kept").find("Mine=1"), std::string::npos) << file;
}
