#include "resources/embedded.h"

#include "resources/picture_scales.h"
#include "resources/resource_data.h"

const EmbeddedResource* FindEmbeddedResource(int number) noexcept
{
    // Made on first use: the sizes are defined in other translation units, so a table
    // at namespace scope might be read before it is filled.
    static const EmbeddedResource resources[] = {
        {0, kBackgroundPng, kBackgroundPngSize},
        {1, kSliderKnobPng, kSliderKnobPngSize},
        {ScaledResourceNumber(0, 2), kBackground2xPng, kBackground2xPngSize},
        {ScaledResourceNumber(1, 2), kSliderKnob2xPng, kSliderKnob2xPngSize},
        {ScaledResourceNumber(0, 3), kBackground3xPng, kBackground3xPngSize},
        {ScaledResourceNumber(1, 3), kSliderKnob3xPng, kSliderKnob3xPngSize},
    };
    for (const EmbeddedResource& resource : resources)
        if (resource.number == number) return &resource;
    return nullptr;
}
