#pragma once
// The flat GDI+ API of the mingw-w64 headers, for the back end's files.

#include <windows.h>

#include <gdiplus.h>

namespace gui::gdiplus {

using namespace Gdiplus::DllExports;

} // namespace gui::gdiplus
