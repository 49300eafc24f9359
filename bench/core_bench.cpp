// Benchmarks of the core routines on large inputs. Each routine has a baseline
// in the same run: a plain pass over the same bytes that does no work of its own.
#include "weather/pinyin.h"

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

namespace {

// The baseline: one plain pass that counts the bytes pick chooses.
template <typename Pick> void CountBytes(benchmark::State& state, const std::string& text, Pick pick) {
    for (auto _ : state) {
        size_t n = 0;
        for (char c : text)
            n += pick(static_cast<unsigned char>(c));
        benchmark::DoNotOptimize(n);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
}

// About 1 MB of GBK text: every GB2312 character in turn, with some ASCII.
const std::string& ChineseText() {
    static const std::string text = [] {
        std::string t;
        while (t.size() < (1u << 20)) {
            for (int lead = 0xB0; lead <= 0xF7 && t.size() < (1u << 20); ++lead) {
                for (int trail = 0xA1; trail <= 0xFE; ++trail) {
                    t += static_cast<char>(lead);
                    t += static_cast<char>(trail);
                }
                t += "Nanjing 2026, ";
            }
        }
        return t;
    }();
    return text;
}

void BM_BytePassBaseline(benchmark::State& state) {
    CountBytes(state, ChineseText(), [](unsigned char c) { return c >= 0x81; });
}
BENCHMARK(BM_BytePassBaseline);

void BM_TextToPinyin1MB(benchmark::State& state) {
    const std::string& text = ChineseText();
    for (auto _ : state)
        benchmark::DoNotOptimize(vemora::TextToPinyin(text, 1, 1 << 30));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_TextToPinyin1MB);

// City names as the boxes get them: every stored place name, half of them with
// 市 after it, and every twentieth in typed pinyin instead.
const std::vector<std::string>& CityNames() {
    static const std::vector<std::string> names = [] {
        std::vector<std::string> n;
        for (int i = 0; i < vemora::kPlaceNameCount; ++i) {
            const vemora::PlaceName& e = vemora::PlaceNameTable[i];
            if (i % 20 == 0)
                n.emplace_back(vemora::PlaceNameText + e.offset + e.nameLength, e.readingLength);
            else
                n.push_back(std::string(vemora::PlaceNameText + e.offset, e.nameLength) + (i % 2 ? "\xCA\xD0" : ""));
        }
        return n;
    }();
    return names;
}

void BM_CityToPinyin(benchmark::State& state) {
    const std::vector<std::string>& names = CityNames();
    for (auto _ : state)
        for (const std::string& name : names)
            benchmark::DoNotOptimize(vemora::CityToPinyin(name));
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(names.size()));
}
BENCHMARK(BM_CityToPinyin)->Unit(benchmark::kMillisecond);

} // namespace

#include "horoscope/horoscope.h"
#include "weather/weather.h"

#include <climits>
#include <vector>

namespace {

const std::string& LinkPage() {
    static const std::string page = [] {
        std::string p;
        // <li><a href="/city/nanjing/" title="南京">南京 晴 25℃</a></li>, in GBK
        const std::string link = "<li><a href=\"/city/nanjing/\" title=\"\xC4\xCF\xBE\xA9\">\xC4\xCF\xBE\xA9 \xC7\xE7 "
                                 "25\xA1\xE6</a></li>\n";
        while (p.size() < (5u << 20))
            p += link;
        return p;
    }();
    return page;
}

void BM_LinkPageBytePassBaseline(benchmark::State& state) {
    CountBytes(state, LinkPage(), [](unsigned char c) { return c == '<'; });
}
BENCHMARK(BM_LinkPageBytePassBaseline);

void BM_WeatherLineFrom5MBPage(benchmark::State& state) {
    const std::string& page = LinkPage();
    for (auto _ : state) {
        std::string line;
        vemora::BuildWeatherText(page, line);
        benchmark::DoNotOptimize(line);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(page.size()));
}
BENCHMARK(BM_WeatherLineFrom5MBPage)->Unit(benchmark::kMillisecond);

const std::string& LongHoroscopePage() {
    static const std::string page = [] {
        std::string p = "<h4>\xD7\xDB\xBA\xCF\xD4\xCB\xCA\xC6</h4><p>ok</p><div class=\"lotconts\">";
        while (p.size() < (1u << 20))
            p += "\xBA\xDC\xB3\xA4\xB5\xC4\xD2\xBB\xD0\xD0\xCE\xC4\xD7\xD6\xA3\xAC\r\n"; // 很长的一行文字，
        return p + "</div>";
    }();
    return page;
}

// Rows below the picture are neither laid out nor drawn, against laying out all of them.
void BM_HoroscopeMegabyteRowsToThePicture(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(vemora::LayoutHoroscope(LongHoroscopePage(), 0, vemora::kBookSize));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * (1 << 20));
}
BENCHMARK(BM_HoroscopeMegabyteRowsToThePicture)->Unit(benchmark::kMillisecond);

void BM_HoroscopeMegabyteAllRows(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(vemora::LayoutHoroscope(LongHoroscopePage(), 0, INT_MAX));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * (1 << 20));
}
BENCHMARK(BM_HoroscopeMegabyteAllRows)->Unit(benchmark::kMillisecond);

} // namespace

#include "calendar/lunar.h"

namespace {

struct Day {
    int y, m, d;
};

// Every day from 1901-01-01 to 2100-12-31.
const std::vector<Day>& LunarRangeDays() {
    static const std::vector<Day> days = [] {
        std::vector<Day> all;
        for (int y = vemora::kLunarFirstYear; y <= vemora::kLunarLastYear; ++y)
            for (int m = 1; m <= 12; ++m)
                for (int d = 1; d <= 31 && vemora::InLunarRange(y, m, d); ++d)
                    all.push_back({y, m, d});
        return all;
    }();
    return days;
}

void BM_GregorianToLunarWholeRange(benchmark::State& state) {
    const std::vector<Day>& days = LunarRangeDays();
    for (auto _ : state)
        for (const Day& t : days)
            benchmark::DoNotOptimize(vemora::GregorianToLunar(t.y, t.m, t.d));
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(days.size()));
}
BENCHMARK(BM_GregorianToLunarWholeRange)->Unit(benchmark::kMillisecond);

// What the pop-up asks for a month of 42 cells: the text under each day and its arrangement.
void BM_LunarCellTextsOfAMonthGrid(benchmark::State& state) {
    const std::vector<Day>& days = LunarRangeDays();
    size_t first = 0;
    for (auto _ : state) {
        for (size_t i = first; i < first + 42; ++i) {
            benchmark::DoNotOptimize(vemora::LunarCellText(days[i].y, days[i].m, days[i].d));
            benchmark::DoNotOptimize(vemora::ArrangementOf(days[i].y, days[i].m, days[i].d));
        }
        first = (first + 30) % (days.size() - 42);
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * 42);
}
BENCHMARK(BM_LunarCellTextsOfAMonthGrid)->Unit(benchmark::kMicrosecond);

} // namespace
