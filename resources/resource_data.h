#pragma once
// The table of embedded files. Until the skin is generated at build time it is empty.

#include "resources/embedded.h"

inline constexpr EmbeddedResource kEmbeddedResources[1] = {{-1, nullptr, 0}};
inline constexpr std::size_t kEmbeddedResourceCount = 0;
