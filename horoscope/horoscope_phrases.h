#pragma once
#include <span>

namespace vemora {

// One phrase of a topic, GBK, with its mood: 1 good, 0 even, -1 take care.
struct HoroscopePhrase {
    const char* text;
    int mood;
};

// What a day says about one topic: one of the openers ("爱情方面，") followed by
// one of the phrases. Any opener with any phrase makes a sentence of 21 to 37
// characters, all of them double-byte, whose 20th is no punctuation mark: two
// rows of the sheet's day text, the second not starting with a mark.
struct HoroscopeTopic {
    std::span<const char* const> openers;
    std::span<const HoroscopePhrase> phrases;
};

// Love, work, money and health, in the order a day tells them; at least 12
// phrases each.
inline constexpr int kHoroscopeTopicCount = 4;
extern const HoroscopeTopic kHoroscopeTopics[kHoroscopeTopicCount];
// The lucky colours, GBK ("红色"), at most three characters each.
extern const std::span<const char* const> kLuckyColours;

} // namespace vemora
