// Vemora's entry: GDI+ and the common controls, the six windows in their
// order, then the message loop until the clock closes.
#include "app/clockmain_win.h"
#include "base/errors.h"
#include "base/module_win.h"
#include "base/text_win.h"

#include <objbase.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    using namespace vemora;
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_UPDOWN_CLASS | ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
    ScopedGdiplus gdiplus;

    RealEffects effects;
    ErrorReporter reporter(effects, Utf8ToWide(ApplicationTitle(WideToUtf8(ModulePath()))));
    try {
        Tfrmmain frmmain(effects, reporter);
        frmmain.CreateCompanions();
        frmmain.Show();
        MSG msg;
        while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    } catch (...) {
        reporter.Report(nullptr, std::current_exception());
        return 1;
    }
    return 0;
}
