#include "horoscope/dailyhoroscope.h"

#include "base/datetime.h"
#include "horoscope/horoscope_phrases.h"

#include <cstdint>
#include <cstdlib>
#include <numeric>
#include <stdexcept>

namespace vemora {

namespace {

// splitmix64's finaliser: every bit of the input stirs every bit of the output.
std::uint64_t Mix(std::uint64_t x) {
    x += 0x9E3779B97F4A7C15u;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9u;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBu;
    return x ^ (x >> 31);
}

// The choices of a day that are drawn rather than taken in turn.
enum class Choice : unsigned { SentenceCount, LeftOut, Colour, Number, Match, Opener };

// A number for one choice of a sign's day: fixed arithmetic on fixed-width
// integers, so that every build on every machine draws the same.
std::uint64_t Draw(int sign, std::int64_t dayNumber, Choice choice, unsigned which = 0) {
    const std::uint64_t what = static_cast<std::uint64_t>(sign) << 16 | static_cast<unsigned>(choice) << 8 | which;
    return Mix(Mix(static_cast<std::uint64_t>(dayNumber)) ^ what);
}

// The smallest step from `from` up that shares no factor with n: stepping by
// it visits every place of a ring of n before coming back.
int CoprimeStep(int n, int from) {
    int step = from;
    while (std::gcd(step, n) != 1)
        ++step;
    return step;
}

// The phrases of a topic are taken in turn rather than drawn. A sign moves a
// fixed step round its topic's ring each day, a step that shares no factor
// with the ring's size n (12 or more): two days fewer than n apart, a whole week
// included, land on different phrases. The signs start from places a step
// apart that also shares no factor with n, so twelve signs on one day stand on
// twelve different phrases.
int PhraseIndex(int topic, int sign, std::int64_t dayNumber) {
    const int n = static_cast<int>(kHoroscopeTopics[topic].phrases.size());
    const int dayStep = CoprimeStep(n, 5);
    const int signStep = CoprimeStep(n, 7 + 2 * topic);
    const std::int64_t dayPlace = (dayNumber % n + n) % n;
    return static_cast<int>((dayPlace * dayStep + static_cast<std::int64_t>(sign) * signStep) % n);
}

// 3 stars for an even day, up to 5 when the sentences shown are all good and
// down to 1 when all say take care: 3 + twice the mean mood, rounded half away
// from zero.
int Rating(int moodSum, int sentenceCount) {
    const int twice = 2 * std::abs(moodSum);
    const int rounded = (2 * twice + sentenceCount) / (2 * sentenceCount);
    return 3 + (moodSum < 0 ? -rounded : rounded);
}

} // namespace

ComposedDay ComposeDay(int sign, int year, int month, int day) {
    if (sign < 0 || sign > 11)
        throw std::out_of_range("没有这个星座：" + std::to_string(sign));
    const auto dayNumber = static_cast<std::int64_t>(EncodeDate(year, month, day));
    ComposedDay composed;
    composed.sign = sign;

    // Two to four of the topics, in their order; the ones left out are drawn.
    bool shown[kHoroscopeTopicCount] = {true, true, true, true};
    const int count = 2 + static_cast<int>(Draw(sign, dayNumber, Choice::SentenceCount) % 3);
    for (int left = kHoroscopeTopicCount; left > count; --left) {
        int skip = static_cast<int>(Draw(sign, dayNumber, Choice::LeftOut, left) % left);
        for (int topic = 0; topic < kHoroscopeTopicCount; ++topic)
            if (shown[topic] && skip-- == 0) {
                shown[topic] = false;
                break;
            }
    }
    int moodSum = 0;
    for (int topic = 0; topic < kHoroscopeTopicCount; ++topic) {
        if (!shown[topic])
            continue;
        const HoroscopeTopic& t = kHoroscopeTopics[topic];
        const HoroscopePhrase& phrase = t.phrases[PhraseIndex(topic, sign, dayNumber)];
        const char* opener = t.openers[Draw(sign, dayNumber, Choice::Opener, topic) % t.openers.size()];
        composed.sentences.push_back({topic, std::string(opener) + phrase.text});
        moodSum += phrase.mood;
    }
    composed.rating = Rating(moodSum, count);
    composed.luckyColour = kLuckyColours[Draw(sign, dayNumber, Choice::Colour) % kLuckyColours.size()];
    composed.luckyNumber = 1 + static_cast<int>(Draw(sign, dayNumber, Choice::Number) % 9);
    composed.bestMatch = (sign + 1 + static_cast<int>(Draw(sign, dayNumber, Choice::Match) % 11)) % 12;
    return composed;
}

std::vector<SheetText> LayoutComposedDay(const ComposedDay& day) {
    std::vector<SheetText> texts;
    std::string stars;
    for (int i = 0; i < day.rating; ++i)
        stars += kSheetStar;
    texts.push_back({kSheetTextLeft, 80, std::string(ZodiacSigns[day.sign].name) + kTodayColon + stars});
    texts.push_back({kSheetTextLeft, 110, std::string(kHeadingColour) + kFullWidthColon + day.luckyColour});
    texts.push_back({310, 110, std::string(kHeadingNumber) + kFullWidthColon + std::to_string(day.luckyNumber)});
    texts.push_back(
        {kSheetTextLeft, 140, std::string(kHeadingMatch) + kFullWidthColon + ZodiacSigns[day.bestMatch].name});
    std::string lines;
    for (const DaySentence& s : day.sentences)
        lines += (lines.empty() ? "" : "\n") + s.text;
    // A row reaches kSheetRowStep down from its top: none may reach the footnote.
    for (SheetText& row : LayoutDayText(lines, kFootnoteY - kSheetRowStep + 1))
        texts.push_back(std::move(row));
    texts.push_back({kFootnoteX, kFootnoteY, kForFunOnly, true});
    return texts;
}

} // namespace vemora
