#include "app/placement.h"

namespace vemora {

ScreenPoint CompanionPlace(Companion companion, const ScreenRect& clock, int companionWidth, int screenWidth) {
    switch (companion) {
    case Companion::WeatherStrip:
        return {clock.left, clock.bottom - 8};
    case Companion::Calendar:
        return {clock.left + 10, clock.bottom + 35};
    case Companion::Horoscope:
        return {screenWidth - companionWidth + 60, clock.bottom};
    }
    return {clock.left, clock.bottom};
}

} // namespace vemora
