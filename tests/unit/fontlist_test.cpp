#include "app/fontlist.h"
#include "settings/settings.h"
#include "testutil.h"

#include <gtest/gtest.h>

using namespace vemora;

TEST(FontList, OrderRepeatsAndVerticalNames) {
    const std::string songTi = Gbk("宋体");
    EXPECT_EQ(InstalledFontList({"Tahoma", "@" + songTi, "arial", songTi, "Tahoma", "Courier", "@Arial Unicode"}),
              (std::vector<std::string>{"arial", "Courier", "Default", "Tahoma", songTi}));
    EXPECT_EQ(InstalledFontList({}), (std::vector<std::string>{"Default"}));

    const std::vector<std::string> withYaHei = {"Default", kFontYaHei, songTi};
    EXPECT_EQ(PreferredClockFont(withYaHei, songTi), kFontYaHei);
    EXPECT_EQ(PreferredClockFont({"Default", "tahoma"}, "Tahoma"), "Tahoma");
    EXPECT_EQ(PreferredClockFont({"Default", std::string(kFontYaHei) + " UI"}, songTi), songTi) << "exact name only";
}
