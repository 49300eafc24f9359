#pragma once

namespace vemora {

class Tfrmmain;

// Start-up time correction: asks the NTP server once and sets the system clock
// from the answer through the effects. A failed query changes nothing.
void SetClockFromNetwork(Tfrmmain& main);

} // namespace vemora
