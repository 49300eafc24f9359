#include "horoscope/horoscope.h"

#include "base/gbk.h"

#include "net/regex.h"

#include <algorithm>

namespace vemora {

// Sign names in GBK: 白羊座 金牛座 双子座 巨蟹座 狮子座 处女座 天秤座 天蝎座 射手座 摩羯座 水瓶座 双鱼座.
const ZodiacSign ZodiacSigns[12] = {
    {"\xB0\xD7\xD1\xF2\xD7\xF9", "aries"},       {"\xBD\xF0\xC5\xA3\xD7\xF9", "Taurus"},
    {"\xCB\xAB\xD7\xD3\xD7\xF9", "Gemini"},      {"\xBE\xDE\xD0\xB7\xD7\xF9", "Cancer"},
    {"\xCA\xA8\xD7\xD3\xD7\xF9", "leo"},         {"\xB4\xA6\xC5\xAE\xD7\xF9", "Virgo"},
    {"\xCC\xEC\xB3\xD3\xD7\xF9", "Libra"},       {"\xCC\xEC\xD0\xAB\xD7\xF9", "Scorpio"},
    {"\xC9\xE4\xCA\xD6\xD7\xF9", "Sagittarius"}, {"\xC4\xA6\xF4\xC9\xD7\xF9", "Capricorn"},
    {"\xCB\xAE\xC6\xBF\xD7\xF9", "Aquarius"},    {"\xCB\xAB\xD3\xE3\xD7\xF9", "Pisces"},
};

namespace {

// GBK: 综合运势.
const char kRating[] = "\xD7\xDB\xBA\xCF\xD4\xCB\xCA\xC6";

std::string ReplaceMatches(std::string_view text, const DelimitedPattern& pattern, std::string_view with) {
    std::string out;
    size_t copied = 0;
    for (auto m = FindDelimited(text, pattern); m; m = FindDelimited(text, pattern, m->end)) {
        out.append(text.substr(copied, m->start - copied));
        out.append(with);
        copied = m->end;
    }
    out.append(text.substr(copied));
    return out;
}

} // namespace

std::string HoroscopeUrl(std::string_view host, int sign) {
    if (sign < 0 || sign > 11 || host.empty())
        return {};
    std::string url = "http://";
    url.append(host);
    return url + "/iframe/astro/view/" + ZodiacSigns[sign].pageWord + "/day/";
}

std::optional<std::string_view> FindParagraph(std::string_view page, std::string_view opening) {
    // After the opening, ".+?" takes one byte more at a time until "</p>"
    // follows, and gives up at a line break: the match ends with the first
    // "</p>" that starts at least one byte after the opening and before the next
    // line break. Every later opening on the same line runs into the same line
    // break with no "</p>" before it, so after a failure the search goes on past
    // that break instead of reading the line again for each opening.
    std::size_t from = 0;
    while (true) {
        const std::size_t start = FindLiteral(page, opening, from);
        if (start == std::string_view::npos)
            return std::nullopt;
        const std::size_t body = start + opening.size();
        std::size_t lineEnd = body;
        while (lineEnd < page.size() && !IsLineBreakByte(static_cast<unsigned char>(page[lineEnd])))
            ++lineEnd;
        // "</p>" holds no line break, so one that starts before lineEnd ends before it.
        const std::size_t close = FindLiteral(page.substr(0, lineEnd), "</p>", body + 1);
        if (close != std::string_view::npos)
            return page.substr(start, close + 4 - start);
        if (lineEnd == page.size())
            return std::nullopt;
        from = lineEnd + 1;
    }
}

std::vector<SheetText> LayoutDayText(std::string_view text, int bottom) {
    std::vector<SheetText> rows;
    int n = 0;
    size_t lineStart = 0;
    while (lineStart < text.size()) {
        size_t lineEnd = text.find('\n', lineStart);
        if (lineEnd == std::string_view::npos)
            lineEnd = text.size();
        const std::string_view line = text.substr(lineStart, lineEnd - lineStart);
        // Full rows until one comes out shorter: (characters div row) + 1 rows,
        // so a line whose length is a multiple of a row, an empty one included,
        // ends with an empty row.
        size_t at = 0; // byte position of the next row's first character
        for (int chars = kSheetRowCharacters; chars == kSheetRowCharacters; ++n) {
            const int y = kDayTextTop + kSheetRowStep * n;
            if (y >= bottom)
                return rows; // below the picture: neither drawn nor worked out
            const size_t start = at;
            for (chars = 0; chars < kSheetRowCharacters && at < line.size(); ++chars)
                at += GbkCharLength(line, at);
            rows.push_back({kSheetTextLeft, y, std::string(line.substr(start, at - start))});
        }
        lineStart = lineEnd + 1;
    }
    return rows;
}

std::vector<SheetText> LayoutHoroscope(const std::string& page, int sign, int bottom) {
    std::vector<SheetText> texts;
    if (page.size() < 100)
        return texts;
    std::string field;
    // The labelled fields are "<h4>heading</h4>.+?</p>".
    if (const auto rating = FindParagraph(page, std::string("<h4>") + kRating + "</h4>")) {
        field = *rating;
        field = RemoveText(field, std::string("<h4>") + kRating + "</h4><p>");
        field = RemoveText(field, "</p>");
        field = ReplaceMatches(field, kStarTagPattern, kSheetStar);
        const std::string name = sign >= 0 && sign <= 11 ? ZodiacSigns[sign].name : "";
        texts.push_back({110, 80, name + kTodayColon + field});
    }
    const struct {
        const char* heading;
        int x, y;
    } labelled[] = {{kHeadingColour, 110, 110}, {kHeadingNumber, 310, 110}, {kHeadingMatch, 110, 140}};
    for (const auto& l : labelled) {
        const auto paragraph = FindParagraph(page, std::string("<h4>") + l.heading + "</h4>");
        if (!paragraph)
            continue;
        field = ReplaceText(*paragraph, "</h4><p>", kFullWidthColon);
        field = RemoveText(field, "</p>");
        field = RemoveText(field, "<h4>");
        texts.push_back({l.x, l.y, field});
    }
    if (const auto day = FindDelimited(page, kDayTextPattern)) {
        field = RemoveText(std::string_view(page).substr(day->start, day->end - day->start), kDayTextPattern.opening);
        field = RemoveText(field, "\r");
        field = RemoveText(field, "</div>");
        for (SheetText& row : LayoutDayText(field, bottom))
            texts.push_back(std::move(row));
    }
    return texts;
}

std::string SheetWindowText(const std::vector<SheetText>& texts) {
    std::vector<const SheetText*> order;
    for (const SheetText& t : texts)
        order.push_back(&t);
    std::stable_sort(order.begin(), order.end(),
                     [](const SheetText* a, const SheetText* b) { return a->y != b->y ? a->y < b->y : a->x < b->x; });
    std::string out;
    for (size_t i = 0; i < order.size(); ++i) {
        if (i > 0)
            out += order[i]->y == order[i - 1]->y ? "  " : "\r\n";
        out += order[i]->text;
    }
    return out;
}

} // namespace vemora
