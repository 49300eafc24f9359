#include "app/fontlist.h"
#include "settings/settings.h"
#include "testutil.h"

#include <gtest/gtest.h>

using namespace vemora;

TEST(FontList, OrderRepeatsAndVerticalNames) {
    const std::string songTi = Gbk("宋体");
    EXPECT_EQ(InstalledFontList({"Tahoma", "@" + songTi, "arial", songTi, "Tahoma", "Courier", "@Arial Unicode"}),
              (std::vector<std::string>{"arial", "Courier", "Tahoma", songTi}));
    EXPECT_TRUE(InstalledFontList({}).empty());
}
