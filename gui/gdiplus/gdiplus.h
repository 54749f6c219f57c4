#pragma once
// The flat GDI+ API of the mingw-w64 headers, for the back end's files.

#include <windows.h>
// The C++ wrapper classes of <gdiplus.h> use min and max, which NOMINMAX takes from <windows.h>.
#include <algorithm>
namespace Gdiplus {
using std::max;
using std::min;
} // namespace Gdiplus
#include <gdiplus.h>

namespace gui::gdiplus {

using namespace Gdiplus::DllExports;
using Gdiplus::GpStatus;

} // namespace gui::gdiplus
