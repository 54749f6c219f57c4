#include "resources/embedded.h"

#include "resources/resource_data.h"

const EmbeddedResource* FindEmbeddedResource(int number) noexcept
{
    // Made on first use: the sizes are defined in other translation units, so a table
    // at namespace scope might be read before it is filled.
    static const EmbeddedResource resources[] = {
        {0, kBackgroundPng, kBackgroundPngSize},
        {1, kSliderKnobPng, kSliderKnobPngSize},
    };
    for (const EmbeddedResource& resource : resources)
        if (resource.number == number) return &resource;
    return nullptr;
}
