// The alarms in the clock window: rung by the tick at a set time, with the
// sound recorded instead of played, snoozed, silenced, stored.
#include "app/clockwindow_win.h"
#include "base/text_win.h"
#include "harness.h"
#include "power/alarmlistdialog_win.h"
#include "power/alarmclock_win.h"

#include <gtest/gtest.h>

#include <mmsystem.h>

namespace vemora::test {

namespace {

using Alarms = ClockFixture;

std::wstring TextOf(HWND window) {
    wchar_t text[1024] = {};
    GetWindowTextW(window, text, 1024);
    return text;
}

} // namespace

// 2026-02-14 is a 班 Saturday: the working-day alarm and the daily one share
// the window, the Monday-to-Friday one stays silent; the sound loops until
// 稍后提醒, comes back Snooze minutes later and stops by itself after two
// minutes; the once alarm is stored switched off.
TEST_F(Alarms, RingSnoozeFallSilentAndStoreOnceOff) {
    const std::string work = WideToGbk(L"上班");
    WriteIni("[Option]\r\nwake=0\r\n[Alarm1]\r\nTime=07:30\r\nRepeat=workdays\r\nLabel=" + work +
             "\r\nSnooze=2\r\n[Alarm2]\r\nTime=07:30\r\nRepeat=weekdays\r\nLabel=weekdays\r\n"
             "[Alarm3]\r\nTime=07:30\r\nRepeat=once\r\nDate=2026-02-14\r\nLabel=once\r\n[Kept]\r\nMine=1\r\n");
    fakeClock.now = {2026, 2, 14, 7, 29, 59, 3, 6};
    ClockWindow& clock = Create(true);
    clock.Tick();
    EXPECT_EQ(clock.alarmClock()->Window(), nullptr) << "nothing before the minute";
    EXPECT_EQ(clock.alarmClock()->NextAlarmLine(EncodeDateTime(fakeClock.now)), L"下一个闹钟：今天 07:30 上班");
    fakeClock.Set(7, 30, 0);
    clock.Tick();
    AlarmWindow* window = clock.alarmClock()->Window();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(IsWindowVisible(window->Handle()));
    EXPECT_NE(GetForegroundWindow(), window->Handle()) << "shown without taking the focus";
    EXPECT_TRUE(GetWindowLongW(window->Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_EQ(TextOf(window->Handle()), L"上班  07:30\r\nonce  07:30");
    ASSERT_FALSE(effects.soundFlags.empty());
    EXPECT_TRUE(effects.soundFlags.back() & SND_LOOP);
    EXPECT_NE(ReadFileBytes(IniPath()).find("Enabled=0"), std::string::npos) << "the once alarm is off";
    EXPECT_NE(ReadFileBytes(IniPath()).find("[Kept]\r\nMine=1"), std::string::npos);

    fakeClock.Set(7, 30, 1);
    clock.Tick();
    SendMessageW(window->snoozeButton, BM_CLICK, 0, 0);
    EXPECT_FALSE(IsWindowVisible(window->Handle()));
    EXPECT_EQ(effects.sounds.back(), nullptr) << "the sound stopped";
    fakeClock.Set(7, 32, 0);
    clock.Tick();
    EXPECT_FALSE(IsWindowVisible(window->Handle())) << "two minutes after the press, not yet";
    fakeClock.Set(7, 32, 1);
    clock.Tick();
    EXPECT_EQ(TextOf(window->Handle()), L"上班  07:30") << "snoozed: the working-day alarm alone";
    fakeClock.Set(7, 34, 1);
    clock.Tick();
    EXPECT_EQ(effects.sounds.back(), nullptr) << "silent after two minutes";
    EXPECT_TRUE(IsWindowVisible(window->Handle())) << "the window stays";
    SendMessageW(window->closeButton, BM_CLICK, 0, 0);
    EXPECT_FALSE(IsWindowVisible(window->Handle()));
    EXPECT_TRUE(effects.errors.empty());
}

// The list shows each alarm in words with the note for a year whose schedule
// is unknown; its check box switches an alarm; 确定 stores at once.
TEST_F(Alarms, ListShowsRepeatsInWordsAndStoresAtOnce) {
    WriteIni("[Alarm1]\r\nTime=07:30\r\nRepeat=workdays\r\n[Alarm2]\r\nTime=21:00\r\nRepeat=1,3,5\r\nLabel=x\r\n");
    fakeClock.now = {2026, 12, 31, 8, 0, 0, 0, 4};
    ClockWindow& clock = Create(true);
    AlarmListDialog& dialog = *clock.alarmDialog();
    PostMessageW(dialog.Handle(), WM_COMMAND, MAKEWPARAM(AlarmListDialog::kOkButton, BN_CLICKED), 0);
    dialog.ShowModal(nullptr, clock.alarmClock()->Alarms(), EncodeDateTime(fakeClock.now));
    EXPECT_EQ(TextOf(dialog.Handle()), L"闹钟\r\n07:30 法定工作日（2027年安排未公布，按周一至周五） 闹钟 开\r\n"
                                       L"21:00 周一 周三 周五 x 开");
    ListView_SetCheckState(dialog.list, 1, FALSE);
    dialog.DeleteAlarm(0);
    dialog.Accept();
    ASSERT_EQ(clock.alarmClock()->Alarms().size(), 1u);
    EXPECT_FALSE(clock.alarmClock()->Alarms()[0].enabled);
    const std::string file = ReadFileBytes(IniPath());
    EXPECT_EQ(file.find("[Alarm2]"), std::string::npos) << file;
    EXPECT_NE(file.find("Repeat=1,3,5\r\n"), std::string::npos) << file;
}

} // namespace vemora::test
