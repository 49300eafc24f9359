// The real Vemora.exe ringing its alarms at set dates of 2026: the clock runs
// under libfaketime, each start at a date of its own, one after the other.
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

// The date file libfaketime reads (e2e.alarms sets it up): a clock started
// while it names a date starts its clock at that date.
class FakeDate {
public:
    FakeDate() {
        wchar_t unixPath[MAX_PATH] = {};
        if (GetEnvironmentVariableW(L"VEMORA_FAKETIME_FILE", unixPath, MAX_PATH) == 0)
            return;
        path_ = L"Z:" + std::wstring(unixPath);
        for (wchar_t& c : path_)
            if (c == L'/')
                c = L'\\';
    }
    ~FakeDate() {
        if (!path_.empty())
            DeleteFileW(path_.c_str());
    }
    bool Usable() const { return !path_.empty(); }
    // Starts the clock in the folder at the date ("2026-02-14 07:29:25").
    std::unique_ptr<ClockProcess> StartAt(const TempFolder& folder, const std::string& when) {
        WriteFileBytes(path_, "@" + when + "\n");
        Sleep(1500); // the file is read again once a second
        auto clock = std::make_unique<ClockProcess>(folder);
        clock->WaitForWindow(L"Tfrmmain", 30000);
        return clock;
    }

private:
    std::wstring path_;
};

// What a window of the clock reads out (WM_GETTEXT: GetWindowText does not
// ask another program's window).
std::wstring TextOf(HWND window) {
    wchar_t text[1024] = {};
    DWORD_PTR copied = 0;
    if (window)
        SendMessageTimeoutW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 2000, &copied);
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

namespace {

// The clock's time as it reads it out, once it shows one.
std::wstring ClockTime(const ClockProcess& clock) {
    std::wstring shown;
    WaitFor([&] { return (shown = TextOf(clock.FindWindowOfClass(L"Tfrmmain"))).find(L':') != std::wstring::npos; },
            10000);
    return shown;
}

// Closes the clock as the user does and waits for it to save and go.
void Exit(ClockProcess& clock) {
    PostMessageW(clock.FindWindowOfClass(L"Tfrmmain"), WM_CLOSE, 0, 0);
    EXPECT_TRUE(clock.WaitForExit(15000));
}

} // namespace

// 2026-02-14 is a 班 Saturday, 2026-02-16 a Monday of the 春节 break (休),
// 2026-03-02 a plain Monday. The clocks run one after the other, each at its date.
TEST(AlarmEndToEnd, RingOnWorkingDaysSnoozeAndStoreOnceAlarmsOff) {
    FakeDate date;
    if (!date.Usable())
        GTEST_SKIP() << "run as e2e.alarms, which sets the date through libfaketime";
    const std::string work = WideToGbk(L"上班");
    TempFolder saturdayFolder, holidayFolder, mondayFolder;
    const std::wstring saturdayIni = saturdayFolder.File(L"clockset.ini");
    WriteFileBytes(saturdayIni, "[Option]\r\nwake=0\r\nHolidayApi=http://127.0.0.1:9\r\n"
                                "[Alarm1]\r\nTime=07:30\r\nRepeat=workdays\r\nLabel=" +
                                    work +
                                    "\r\nSnooze=1\r\n"
                                    "[Alarm2]\r\nTime=07:30\r\nRepeat=weekdays\r\nLabel=weekdays\r\n"
                                    "[Alarm3]\r\nTime=07:31\r\nRepeat=once\r\nDate=2026-02-14\r\nLabel=once\r\n"
                                    "[Kept]\r\nMine=1\r\n");
    const std::string workdaysAndDaily = "[Option]\r\nwake=0\r\nHolidayApi=http://127.0.0.1:9\r\n[Alarm1]\r\n"
                                         "Time=07:30\r\nRepeat=workdays\r\nLabel=" +
                                         work + "\r\n[Alarm2]\r\nTime=07:30\r\nRepeat=daily\r\nLabel=daily\r\n";
    WriteFileBytes(holidayFolder.File(L"clockset.ini"), workdaysAndDaily);
    WriteFileBytes(mondayFolder.File(L"clockset.ini"), workdaysAndDaily);

    // The 班 Saturday: the working-day alarm rings, label and time first; Monday to Friday does not.
    auto saturday = date.StartAt(saturdayFolder, "2026-02-14 07:29:40");
    const std::wstring time = ClockTime(*saturday);
    if (time.rfind(L"07:", 0) != 0) {
        Exit(*saturday);
        GTEST_SKIP() << "the set date does not reach the clock (it shows " << WideToUtf8(time) << ")";
    }
    const std::wstring rung = WaitForAlarm(*saturday, L"上班  07:30", 60000);
    EXPECT_EQ(rung.rfind(L"上班  07:30", 0), 0u) << "the label and time come first";
    EXPECT_EQ(rung.find(L"weekdays"), std::wstring::npos) << std::string(WideToUtf8(rung));
    // 稍后提醒 with Snooze=1: the window goes, and comes back a minute later,
    // beside the once alarm of 07:31.
    HWND alarm = saturday->FindWindowOfClass(L"TVemoraAlarm");
    SendMessageW(GetDlgItem(alarm, 10), BM_CLICK, 0, 0);
    EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(alarm); }, 5000));
    const std::wstring again = WaitForAlarm(*saturday, L"上班  07:30", 90000);
    EXPECT_NE(again, L"") << "the snoozed alarm rings again";
    EXPECT_NE(WaitForAlarm(*saturday, L"once  07:31", 10000), L"");
    SendMessageW(GetDlgItem(saturday->FindWindowOfClass(L"TVemoraAlarm"), 11), BM_CLICK, 0, 0);
    Exit(*saturday);
    // The once alarm is stored switched off, the GBK label and the unknown section as they were.
    const std::string file = ReadFileBytes(saturdayIni);
    EXPECT_NE(SectionText(file, "Alarm3").find("Enabled=0"), std::string::npos) << file;
    EXPECT_NE(SectionText(file, "Alarm1").find("Label=" + work + "\r\n"), std::string::npos) << file;
    EXPECT_NE(SectionText(file, "Kept").find("Mine=1"), std::string::npos) << file;

    // The 休 Monday rings only the daily alarm; the plain Monday the working-day one.
    auto holiday = date.StartAt(holidayFolder, "2026-02-16 07:29:40");
    const std::wstring onHoliday = WaitForAlarm(*holiday, L"daily", 60000);
    EXPECT_NE(onHoliday, L"");
    EXPECT_EQ(onHoliday.find(L"上班"), std::wstring::npos) << std::string(WideToUtf8(onHoliday));
    Exit(*holiday);
    auto monday = date.StartAt(mondayFolder, "2026-03-02 07:29:40");
    EXPECT_NE(WaitForAlarm(*monday, L"上班  07:30", 60000), L"");
    Exit(*monday);
}
