#include "settings/settings_win.h"
#include "render/glow_win.h"

#include "harness.h"

#include <algorithm>
#include <iterator>

using namespace vemora;
using namespace vemora::test;

using ClockOnScreen = ClockFixture;
using SettingsFile = ClockFixture;

TEST_F(ClockOnScreen, FloatsAtTheTopRightWithoutTaskbarButton) {
    ClockWindow& clock = Create(true);
    EXPECT_EQ(FindOwnWindow(L"Tfrmmain"), clock.Handle());
    const RECT r = WindowRect(clock.Handle());
    const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
    EXPECT_EQ(r.left, screenWidth - 230);
    EXPECT_EQ(r.top, 0);
    EXPECT_EQ(r.right - r.left, 230);
    EXPECT_EQ(r.bottom - r.top, 55);
    const LONG ex = GetWindowLongW(clock.Handle(), GWL_EXSTYLE);
    EXPECT_TRUE(ex & WS_EX_LAYERED);
    EXPECT_TRUE(ex & WS_EX_TOPMOST);
    EXPECT_FALSE(ex & WS_EX_APPWINDOW);
    EXPECT_FALSE(GetWindowLongW(clock.Handle(), GWL_STYLE) & WS_CAPTION);
    // Owned by the hidden application window: owned windows get no taskbar button.
    HWND owner = GetWindow(clock.Handle(), GW_OWNER);
    ASSERT_NE(owner, nullptr);
    EXPECT_FALSE(IsWindowVisible(owner));
    EXPECT_TRUE(clock.TimerEnabled());
    // The weather strip was made layered with the clock's style.
    EXPECT_TRUE(GetWindowLongW(FindOwnWindow(L"Tfrmweather"), GWL_EXSTYLE) & WS_EX_LAYERED);
    // Every companion window exists, hidden, under its own class name.
    for (const wchar_t* cls : {L"Tfrmset", L"Tfrmshutdown", L"Tfrmweather", L"Tfrmxingzuo", L"Tfrmcal"}) {
        HWND w = FindOwnWindow(cls);
        ASSERT_NE(w, nullptr) << WideToUtf8(cls);
        EXPECT_FALSE(IsWindowVisible(w)) << WideToUtf8(cls);
    }
    EXPECT_NE(main->RunState().ringSound, nullptr) << "the alarm sound resource is loaded";
    EXPECT_EQ(std::string(static_cast<const char*>(main->RunState().ringSound), 4), "RIFF");
    EXPECT_FALSE(main->RunState().installedFonts.empty());
    for (const std::string& f : main->RunState().installedFonts) {
        EXPECT_EQ(f.find('@'), std::string::npos) << f;
        EXPECT_NE(f, "Default") << "only families: Default names none";
    }
}

TEST_F(ClockOnScreen, ShakesOnTheHourAndReturnsToItsPlace) {
    ClockWindow& clock = Create(true);
    EXPECT_EQ(clock.DrawCount(), 1) << "the first frame as the window shows";
    const RECT before = WindowRect(clock.Handle());
    fakeClock.Set(10, 59, 59);
    clock.Tick();
    EXPECT_EQ(clock.LastTimeText(), "10:59:59");
    EXPECT_EQ(clock.DrawCount(), 2);
    for (int second : {0, 1}) {
        fakeClock.Set(11, 0, second);
        clock.Tick();
        EXPECT_EQ(clock.ShakeCount(), second + 1);
        EXPECT_EQ(clock.DrawCount(), 2) << "a shaking tick does not redraw";
        EXPECT_EQ(clock.LastTimeText(), "10:59:59");
        const RECT after = WindowRect(clock.Handle());
        EXPECT_TRUE(EqualRect(&before, &after)) << "back exactly where it was";
    }
    fakeClock.Set(11, 0, 2);
    clock.Tick();
    EXPECT_EQ(clock.DrawCount(), 3);
    EXPECT_EQ(clock.LastTimeText(), "11:00:02");

    Edit([&](Settings& s) { s.hourlyAlert = false; });
    fakeClock.Set(12, 0, 0);
    clock.Tick();
    EXPECT_EQ(clock.ShakeCount(), 2) << "without the hourly alert the clock never shakes";
    EXPECT_EQ(clock.DrawCount(), 4);
}

TEST_F(ClockOnScreen, RepeatedTickFailureIsShownOnceUntilATickDraws) {
    ClockWindow& clock = Create(true);
    Edit([&](Settings& s) { s.font = "Default"; });
    int second = 0;
    auto tick = [&] {
        fakeClock.Set(11, 10, second++); // each timer tick in a second of its own
        SendMessageW(clock.Handle(), WM_TIMER, 1, 0);
    };
    for (int i = 0; i < 3; ++i)
        tick();
    ASSERT_EQ(effects.errors.size(), 1u);
    EXPECT_EQ(effects.errors[0], L"找不到字体“Default”，请在设置中另选一种字体");
    Edit([&](Settings& s) { s.font = kFontSongTi; });
    tick();
    Edit([&](Settings& s) { s.font = "Default"; });
    tick();
    EXPECT_EQ(effects.errors.size(), 2u) << "shown again after a good tick";
    EXPECT_TRUE(IsWindow(clock.Handle()));
}

TEST_F(SettingsFile, RoundTripThroughTheRealFile) {
    WriteIni("[Option]\r\nTransparent=0x64\r\nXingzuo=4\r\nFont=\xBA\xDA\xCC\xE5\r\nTop=1\r\nwake=0\r\n"
             "weather=0\r\nshowxz=0\r\ngetnettime=0\r\nStartcolor=$50FF0000\r\nEndcolor=aclRed\r\nCity=NANJING\r\n"
             "WeatherHost=127.0.0.1:1\r\n");
    ClockWindow& clock = Create(false);
    EXPECT_EQ(main->CurrentSettings().transparency, 100);
    EXPECT_EQ(main->CurrentSettings().sign, 4);
    EXPECT_EQ(main->CurrentSettings().font, "\xBA\xDA\xCC\xE5"); // 黑体
    EXPECT_TRUE(main->CurrentSettings().stayOnTop);
    EXPECT_FALSE(main->CurrentSettings().hourlyAlert);
    EXPECT_EQ(main->CurrentSettings().startColour, 0x50FF0000u);
    EXPECT_EQ(main->CurrentSettings().endColour, 0xFFFF0000u);
    EXPECT_EQ(main->CurrentSettings().city, "NANJING");
    EXPECT_EQ(main->CurrentSettings().weatherHost, "127.0.0.1:1");
    EXPECT_EQ(GetMenuState(clock.ContextMenu(), kMenuStayOnTop, MF_BYCOMMAND) & MF_CHECKED,
              static_cast<UINT>(MF_CHECKED));

    Edit([&](Settings& s) { s.transparency = 180; });
    Edit([&](Settings& s) { s.city = "BEIJING"; });
    SendMessageW(clock.Handle(), WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(clock.Handle()));
    EXPECT_TRUE(effects.errors.empty());
    EXPECT_EQ(IniValue(IniPath(), "Transparent"), "180");
    EXPECT_EQ(IniValue(IniPath(), "Xingzuo"), "4");
    EXPECT_EQ(IniValue(IniPath(), "Font"), "\xBA\xDA\xCC\xE5");
    EXPECT_EQ(IniValue(IniPath(), "Top"), "1");
    EXPECT_EQ(IniValue(IniPath(), "wake"), "0");
    EXPECT_EQ(IniValue(IniPath(), "weather"), "0");
    EXPECT_EQ(IniValue(IniPath(), "showxz"), "0");
    EXPECT_EQ(IniValue(IniPath(), "getnettime"), "0");
    EXPECT_EQ(IniValue(IniPath(), "Startcolor"), "$50FF0000");
    EXPECT_EQ(IniValue(IniPath(), "Endcolor"), "aclRed");
    EXPECT_EQ(IniValue(IniPath(), "City"), "BEIJING");
    EXPECT_EQ(IniValue(IniPath(), "WeatherHost"), "127.0.0.1:1") << "kept, never rewritten";
}

TEST_F(SettingsFile, WithoutAFileTheDefaultsAreWritten) {
    ClockWindow& clock = Create(false);
    EXPECT_EQ(main->CurrentSettings().transparency, 250);
    EXPECT_EQ(main->CurrentSettings().sign, 1);
    EXPECT_TRUE(main->CurrentSettings().stayOnTop) << "a first start stays on top";
    SendMessageW(clock.Handle(), WM_CLOSE, 0, 0);
    EXPECT_EQ(IniValue(IniPath(), "Startcolor"), "aclWhite");
    EXPECT_EQ(IniValue(IniPath(), "Endcolor"), "$FF1E78C3");
    EXPECT_EQ(IniValue(IniPath(), "wake"), "1");
    EXPECT_EQ(IniValue(IniPath(), "City"), "");
}

TEST_F(SettingsFile, AnUnwritableFileAsksWhetherToExitWithoutSaving) {
    // Root ignores read-only bits under Wine; a folder in the file's place
    // cannot be written by anybody.
    ASSERT_TRUE(CreateDirectoryW(IniPath().c_str(), nullptr));
    ClockWindow& clock = Create(true);
    effects.answer = false; // 否
    clock.Exit();
    ASSERT_EQ(effects.questions.size(), 1u);
    EXPECT_NE(effects.questions[0].find(IniPath()), std::wstring::npos) << "names the file";
    EXPECT_TRUE(effects.errors.empty());
    EXPECT_TRUE(IsWindow(clock.Handle())) << "否 stays";
    EXPECT_TRUE(clock.TimerEnabled()) << "and the clock keeps ticking";
    effects.answer = true; // 是
    clock.Exit();
    EXPECT_EQ(effects.questions.size(), 2u);
    EXPECT_FALSE(IsWindow(clock.Handle())) << "是 exits without saving";
}

// The pointer's last step may come only with the release, or its move may be
// read when the button is already up: either way the clock ends where the
// button was released. The messages are posted, so that each is read at the
// pointer's place then, with the button as it was.
TEST_F(ClockOnScreen, ADragEndsWhereTheButtonIsReleased) {
    ClockWindow& clock = Create(true);
    HWND w = clock.Handle();
    BYTE saved[256] = {};
    GetKeyboardState(saved);
    auto send = [&](UINT msg, POINT at, bool held) {
        SetCursorPos(at.x, at.y);
        BYTE state[256];
        std::copy(std::begin(saved), std::end(saved), state);
        state[VK_LBUTTON] = held ? 0x80 : 0;
        SetKeyboardState(state);
        const RECT r = WindowRect(w);
        PostMessageW(w, msg, held ? MK_LBUTTON : 0, MAKELPARAM(at.x - r.left, at.y - r.top));
        MSG m;
        while (PeekMessageW(&m, w, msg, msg, PM_REMOVE | PM_QS_POSTMESSAGE))
            DispatchMessageW(&m);
    };
    MoveWindow(w, 300, 400, 230, 55, TRUE);
    send(WM_LBUTTONDOWN, POINT{310, 420}, true);
    send(WM_MOUSEMOVE, POINT{400, 470}, true);
    send(WM_LBUTTONUP, POINT{410, 475}, false); // no move for the last step
    RECT r = WindowRect(w);
    EXPECT_EQ(r.left, 400);
    EXPECT_EQ(r.top, 455);
    MoveWindow(w, 300, 400, 230, 55, TRUE);
    send(WM_LBUTTONDOWN, POINT{310, 420}, true);
    send(WM_MOUSEMOVE, POINT{400, 470}, true);
    send(WM_MOUSEMOVE, POINT{410, 475}, false); // read after the button went up
    send(WM_LBUTTONUP, POINT{410, 475}, false);
    r = WindowRect(w);
    EXPECT_EQ(r.left, 400);
    EXPECT_EQ(r.top, 455);
    SetKeyboardState(saved);
    EXPECT_EQ(clock.CurrentSettings().posLeft, 400) << "kept where it was dropped";
    // The pointer's own moves read and the pointer put away, as the other tests expect.
    SetCursorPos(0, 900);
    Pump(200);
}

TEST(Handles, CloseExactlyOnce) {
    static int closed = 0;
    struct CountingTraits {
        using pointer = int*;
        static pointer Invalid() noexcept { return nullptr; }
        static void Close(pointer) noexcept { ++closed; }
    };
    int a = 0, b = 0;
    {
        UniqueHandle<CountingTraits> first(&a);
        UniqueHandle<CountingTraits> moved(std::move(first));
        EXPECT_FALSE(first);
        UniqueHandle<CountingTraits> other(&b);
        other = std::move(moved); // closes b
        EXPECT_EQ(closed, 1);
        other = std::move(other);
        EXPECT_EQ(closed, 1) << "self-move closes nothing";
    }
    EXPECT_EQ(closed, 2);
}

TEST_F(SettingsFile, AUtf8FileReadsRightAndStaysUtf8WithWhatTheClockDoesNotKnow) {
    const std::string body = "; " + WideToUtf8(L"我的注释") +
                             "\r\n[Other]\r\nx=1\r\n[Option]\r\nFont=" + WideToUtf8(L"宋体") +
                             "\r\nCity=" + WideToUtf8(L"南京") + "\r\nMine=keep\r\n";
    for (const std::string& bom : {std::string(), std::string("\xEF\xBB\xBF")}) {
        SCOPED_TRACE(bom.empty() ? "without a byte-order mark" : "with one");
        WriteIni(bom + body);
        Create(false);
        EXPECT_EQ(main->CurrentSettings().font, kFontSongTi);
        EXPECT_EQ(main->CurrentSettings().city, WideToGbk(L"南京"));
        SendMessageW(main->Handle(), WM_CLOSE, 0, 0);
        main.reset();
        const std::string saved = ReadFileBytes(IniPath());
        // Written back as it came, UTF-8, so that nothing of it turns into '?'.
        EXPECT_EQ(saved.rfind(bom + "; " + WideToUtf8(L"我的注释") + "\r\n[Other]\r\nx=1\r\n[Option]\r\n", 0), 0u)
            << saved;
        EXPECT_NE(saved.find("Font=" + WideToUtf8(L"宋体") + "\r\n"), std::string::npos) << "written as UTF-8";
        EXPECT_NE(saved.find("Mine=keep\r\n"), std::string::npos);
        EXPECT_EQ(GetFileAttributesW((IniPath() + L".new").c_str()), INVALID_FILE_ATTRIBUTES) << "no file left over";
    }
}

TEST_F(SettingsFile, SavedWhenTheSessionEnds) {
    ClockWindow& clock = Create(true);
    Edit([](Settings& s) { s.transparency = 180; });
    EXPECT_EQ(SendMessageW(clock.Handle(), WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), TRUE);
    EXPECT_EQ(IniValue(IniPath(), "Transparent"), "180");
    Edit([](Settings& s) { s.transparency = 150; });
    SendMessageW(clock.Handle(), WM_ENDSESSION, TRUE, 0);
    EXPECT_EQ(IniValue(IniPath(), "Transparent"), "150");
    EXPECT_TRUE(effects.errors.empty());
}

TEST_F(ClockOnScreen, AStoredFontThatIsNotInstalledStillShowsTheClock) {
    struct Case {
        const char* file;
        const char* told; // the start of the one message, or nothing
    } cases[] = {
        {"[Option]\r\nFont=NoSuchFont\r\n", "找不到字体“NoSuchFont”，时钟暂用“"},
        {"[Option]\r\nFont=\xCB\xCE\xCC\xE5\r\n", nullptr}, // 宋体, installed: kept
        {"[Option]\r\nTransparent=200\r\n", nullptr},       // no Font: the default, unannounced
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        effects.errors.clear();
        WriteIni(c.file);
        ClockWindow& clock = Create(true);
        EXPECT_TRUE(IsWindowVisible(clock.Handle()));
        EXPECT_GE(clock.DrawCount(), 1) << "drawn";
        EXPECT_NE(main->CurrentSettings().font, "NoSuchFont");
        if (c.told) {
            ASSERT_EQ(effects.errors.size(), 1u);
            EXPECT_EQ(WideToUtf8(effects.errors[0]).rfind(c.told, 0), 0u) << WideToUtf8(effects.errors[0]);
        } else {
            EXPECT_TRUE(effects.errors.empty()) << WideToUtf8(effects.errors.empty() ? L"" : effects.errors[0]);
        }
        if (c.file == cases[1].file) {
            EXPECT_EQ(main->CurrentSettings().font, kFontSongTi);
        }
        clock.Tick();
        EXPECT_EQ(effects.errors.size(), c.told ? 1u : 0u) << "told once, and the ticks draw";
        main.reset();
    }
}

namespace {

// Effects whose error box, while open, sees further reports come in.
struct ReentrantEffects : RecordingEffects {
    std::function<void()> whileOpen;
    void ShowError(HWND owner, const std::wstring& title, const std::wstring& text) override {
        RecordingEffects::ShowError(owner, title, text);
        if (auto more = std::exchange(whileOpen, nullptr))
            more();
    }
};

std::exception_ptr Error(const char* text) {
    return std::make_exception_ptr(std::runtime_error(text));
}

} // namespace

TEST(ClockErrors, ReportsWhileABoxIsOpenWaitTheirTurnAndRepeatsMerge) {
    ReentrantEffects effects;
    ErrorReporter reporter(effects, L"Vemora");
    effects.whileOpen = [&] {
        for (const char* text : {"first", "second", "first", "third", "second"})
            reporter.Report(nullptr, Error(text));
        EXPECT_EQ(effects.errors.size(), 1u) << "no box stacked on the open one";
    };
    reporter.Report(nullptr, Error("first"));
    EXPECT_EQ(effects.errors, (std::vector<std::wstring>{L"first", L"second", L"third"}));
    reporter.Report(nullptr, Error("first"));
    EXPECT_EQ(effects.errors.size(), 4u) << "once closed, the same text is news again";
}
