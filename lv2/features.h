#pragma once
// Looking up what an LV2 host offers.

#include <lv2/core/lv2.h>

#include <cstring>

// The data of the feature with that URI, or null when the host does not offer it.
inline const void* FindFeature(const LV2_Feature* const* features, const char* uri)
{
    if (!features || !uri) return nullptr;
    for (; *features; ++features)
        if ((*features)->URI && std::strcmp((*features)->URI, uri) == 0) return (*features)->data;
    return nullptr;
}
