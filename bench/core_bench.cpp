// Benchmarks of the core routines on large inputs. Each routine has a baseline
// in the same run: a plain pass over the same bytes that does no work of its own.
#include "online/pinyin.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

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
    const std::string& text = ChineseText();
    for (auto _ : state) {
        size_t letters = 0;
        for (unsigned char c : text)
            letters += c >= 0x81;
        benchmark::DoNotOptimize(letters);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_BytePassBaseline);

void BM_TextToPinyin1MB(benchmark::State& state) {
    const std::string& text = ChineseText();
    for (auto _ : state)
        benchmark::DoNotOptimize(vemora::TextToPinyin(text, 1, 1 << 30));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_TextToPinyin1MB);

} // namespace
