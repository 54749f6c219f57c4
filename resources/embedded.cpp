#include "resources/embedded.h"

#include "resources/resource_data.h"

const EmbeddedResource* FindEmbeddedResource(int number) noexcept
{
    for (std::size_t i = 0; i < kEmbeddedResourceCount; ++i)
        if (kEmbeddedResources[i].number == number) return &kEmbeddedResources[i];
    return nullptr;
}
