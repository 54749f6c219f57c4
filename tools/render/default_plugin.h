#pragma once
// The plug-in tolvanger-render loads when no --plugin is given.

#include <string>

namespace render {

// The Tolvanger library that belongs to this program: beside it (the build folder), else in
// the VST folder of the prefix it is installed in (bin/../lib/vst, as /usr/bin and
// /usr/lib/vst). When neither exists, the installed place, so that the error names it.
std::string DefaultPluginPath();

} // namespace render
