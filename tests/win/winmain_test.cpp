// Entry of the Windows tests: GDI+ and the common controls as the program has them.
#include "base/handles_win.h"

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_UPDOWN_CLASS | ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
    vemora::ScopedGdiplus gdiplus;
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
