#pragma once
// The one place for platform headers and their quirks: <gdiplus.h> wants min
// and max, which NOMINMAX takes away from <windows.h>.
#include <winsock2.h>
#include <windows.h>

#include <algorithm>
namespace Gdiplus {
using std::max;
using std::min;
} // namespace Gdiplus
#include <objidl.h>
#include <gdiplus.h>

#include <commctrl.h>
#include <shellapi.h>
