#include "online/nettime_win.h"

#include "app/clockmain_win.h"

namespace vemora {

void SetClockFromNetwork(Tfrmmain&) {}

} // namespace vemora
