#include "horoscope/horoscope.h"
#include "testutil.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <sstream>

using namespace vemora;

namespace {

std::string Fixture(const char* name) {
    std::ifstream in(std::string(VEMORA_FIXTURES) + "/" + name, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

const std::string kStar =
    "<img src=\"http://img.astro.vemora.app/ast/2007index/tmp/star_php/star.gif\" width=\"18\" height=\"18\" />";
const std::string kPadding(120, ' '); // pages under 100 bytes draw nothing

std::string Repeat(const std::string& s, int n) {
    std::string out;
    for (int i = 0; i < n; ++i)
        out += s;
    return out;
}

std::vector<std::string> Texts(const std::vector<SheetText>& t) {
    std::vector<std::string> out;
    for (const SheetText& s : t)
        out.push_back(s.text);
    return out;
}

} // namespace

namespace vemora {
void PrintTo(const SheetText& t, std::ostream* os) {
    *os << "(" << t.x << ", " << t.y << ") " << t.text.size() << " bytes";
}
} // namespace vemora

TEST(Horoscope, AllFiveFieldsOfASavedPage) {
    const std::vector<SheetText> texts = LayoutHoroscope(Fixture("xingzuo_aries_day.html"), 0);
    ASSERT_EQ(texts.size(), 9u);
    EXPECT_EQ(texts[0], (SheetText{110, 80, Gbk("白羊座今日运势：★★★★")}));
    EXPECT_EQ(texts[1], (SheetText{110, 110, Gbk("幸运颜色：红色")}));
    EXPECT_EQ(texts[2], (SheetText{310, 110, Gbk("幸运数字：7")}));
    EXPECT_EQ(texts[3], (SheetText{110, 140, Gbk("速配星座：狮子座")}));
    EXPECT_EQ(texts[4], (SheetText{110, 170, Gbk("今天你的行动力很强，适合把拖了很久的计")}));
    EXPECT_EQ(texts[5], (SheetText{110, 200, Gbk("划付诸实践，朋友的一句话会给你新的灵感")}));
    EXPECT_EQ(texts[6], (SheetText{110, 230, Gbk("。")}));
    EXPECT_EQ(texts[7], (SheetText{110, 260, Gbk("工作上宜稳扎稳打，不要急于求成；午后适")}));
    EXPECT_EQ(texts[8], (SheetText{110, 290, Gbk("合整理账目，晚上早点休息。")}));
}

TEST(Horoscope, WindowTextIsTheSheetFromTheTop) {
    const std::vector<SheetText> texts = LayoutHoroscope(Fixture("xingzuo_aries_day.html"), 0);
    const std::string text = SheetWindowText(texts);
    EXPECT_EQ(text.substr(0, text.find(Gbk("今天"))),
              Gbk("白羊座今日运势：★★★★\r\n幸运颜色：红色  幸运数字：7\r\n速配星座：狮子座\r\n"));
    // Whatever order the texts come in, the rating line leads.
    EXPECT_EQ(SheetWindowText({{310, 110, "7"}, {110, 170, "b"}, {110, 80, "a"}, {110, 110, "6"}, {110, 200, ""}}),
              "a\r\n6  7\r\nb\r\n");
    EXPECT_EQ(SheetWindowText({}), "");
}

TEST(Horoscope, FieldsAndTheirCleanUp) {
    const std::string rating = Gbk("<h4>综合运势</h4><p>") + kStar + kStar + Gbk("<img src=\"half.gif\" /></p>");
    std::vector<SheetText> t = LayoutHoroscope(rating + kPadding, 4);
    ASSERT_EQ(t.size(), 1u) << "the missing fields leave their gaps";
    EXPECT_EQ(t[0].text, Gbk("狮子座今日运势：★★<img src=\"half.gif\" />"));

    // White space between the heading and the paragraph keeps the leftover tags.
    t = LayoutHoroscope(Gbk("<h4>幸运颜色</h4> <p>蓝色</p>") + kPadding, 0);
    ASSERT_EQ(t.size(), 1u);
    EXPECT_EQ(t[0], (SheetText{110, 110, Gbk("幸运颜色</h4> <p>蓝色")}));
    // A line break before the paragraph's end: "." does not cross it, no match.
    EXPECT_TRUE(LayoutHoroscope(Gbk("<h4>幸运数字</h4><p>3\n</p>") + kPadding, 0).empty());
    // Under 100 bytes nothing is drawn.
    EXPECT_TRUE(LayoutHoroscope(Gbk("<h4>幸运数字</h4><p>3</p>"), 0).empty());
    // A sign outside the table draws the rating without a name.
    t = LayoutHoroscope(Gbk("<h4>综合运势</h4><p>ok</p>") + kPadding, 12);
    ASSERT_EQ(t.size(), 1u);
    EXPECT_EQ(t[0].text, Gbk("今日运势：ok"));
}

TEST(Horoscope, RowsOfTheDaysText) {
    const std::string zi = Gbk("字");
    // 45 characters: 19, 19, 7; exactly 38: three rows, the third empty; the
    // next line one row lower.
    std::vector<SheetText> rows = LayoutDayText(Repeat(zi, 45) + "\n" + Repeat(zi, 38) + "\nx");
    ASSERT_EQ(rows.size(), 7u);
    EXPECT_EQ(Texts(rows), (std::vector<std::string>{Repeat(zi, 19), Repeat(zi, 19), Repeat(zi, 7), Repeat(zi, 19),
                                                     Repeat(zi, 19), "", "x"}));
    for (size_t i = 0; i < rows.size(); ++i)
        EXPECT_EQ(rows[i].y, 170 + 30 * static_cast<int>(i));
    // Rows are counted from characters, not bytes: (characters div 19) + 1.
    // Digits, Latin letters and ASCII punctuation keep their tail; a lone lead
    // byte before an ASCII byte is a character of its own.
    const std::string ascii19 = "Sunny, 25 degrees C";
    const struct {
        std::string line;
        std::vector<std::string> rows;
    } lines[] = {
        {std::string(50, 'a'), {std::string(19, 'a'), std::string(19, 'a'), std::string(12, 'a')}},
        {Repeat(zi, 5) + ascii19, {Repeat(zi, 5) + ascii19.substr(0, 14), ascii19.substr(14)}},
        {ascii19, {ascii19, ""}},
        {Repeat("\x81<", 10), {Repeat("\x81<", 9) + "\x81", "<"}},
    };
    for (const auto& l : lines)
        EXPECT_EQ(Texts(LayoutDayText(l.line)), l.rows) << l.line;
    // Two line feeds make an empty row; a final line feed makes none.
    EXPECT_EQ(Texts(LayoutDayText("a\n\nb\n")), (std::vector<std::string>{"a", "", "b"}));
    // Rows that would start below the picture are left out.
    rows = LayoutDayText(Repeat("line\n", 100));
    ASSERT_EQ(rows.size(), 12u);
    EXPECT_EQ(rows.back().y, 500);
}

// The sheet's rules end at x 424. Under Wine the panel's font sets full-width
// characters 16 pixels apart, the first 3 pixels right of x 110; a row of 20
// ran its last character over the paper's edge.
TEST(Horoscope, RowsStayInsideTheRuledLines) {
    for (const SheetText& row : LayoutDayText(Repeat(Gbk("字"), 100))) {
        EXPECT_EQ(row.x, 110);
        EXPECT_LE(113 + 16 * static_cast<int>(row.text.size() / 2), 424) << row.y;
    }
}

TEST(Horoscope, AMegabyteOfTextCostsNothing) {
    std::string page = Gbk("<div class=\"lotconts\">");
    while (page.size() < (1u << 20))
        page += Gbk("很长很长的一行文字，") + "\r\n";
    page += "</div>";
    const auto start = std::chrono::steady_clock::now();
    const std::vector<SheetText> texts = LayoutHoroscope(page, 0);
    const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    EXPECT_EQ(texts.size(), 12u);
    EXPECT_LT(ms, 2000);
}

TEST(Horoscope, Urls) {
    EXPECT_EQ(HoroscopeUrl("h", 0), "http://h/iframe/astro/view/aries/day/");
    EXPECT_EQ(HoroscopeUrl("h", 1), "http://h/iframe/astro/view/Taurus/day/");
    EXPECT_EQ(HoroscopeUrl("h", 4), "http://h/iframe/astro/view/leo/day/");
    EXPECT_EQ(HoroscopeUrl("h", 11), "http://h/iframe/astro/view/Pisces/day/");
    EXPECT_EQ(HoroscopeUrl("", 11), "") << "no built-in host";
    EXPECT_EQ(HoroscopeUrl("h", -1), "");
    EXPECT_EQ(HoroscopeUrl("h", 12), "");
}
