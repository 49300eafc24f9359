// Pictures of what the program draws, for people: written only when
// VEMORA_SNAPSHOTS names a folder (scripts/snapshots.sh sets it).
#include "render/glow_win.h"

#include "harness.h"

using namespace vemora;
using namespace vemora::test;

TEST(Snapshots, ClockOverMidGrey) {
    const std::wstring folder = SnapshotFolder();
    if (folder.empty())
        GTEST_SKIP() << "VEMORA_SNAPSHOTS not set";
    GlowImage image;
    DrawGlowText(image, L"21:05:07", kFontSongTi, kClockEmSize, 0xFFFFFFFF, 0xFF1E78C3);
    SavePng(folder + L"\\clock-render.png", image.Pixels(), kGlowWidth, kGlowHeight, 0xFF808080);
}
