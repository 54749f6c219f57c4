#pragma once

#include <string>
#include <string_view>

namespace gui::cairo {

// The text as cairo accepts it: cut at the first NUL byte, every byte that does not start
// a well-formed UTF-8 sequence replaced by U+FFFD (cairo refuses a whole string otherwise).
std::string ValidUtf8(std::string_view text);

} // namespace gui::cairo
