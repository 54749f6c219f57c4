#pragma once
// Files built into the library, found by resource number.

#include <cstddef>

struct EmbeddedResource {
    int number;
    const unsigned char* data;
    std::size_t size;
};

// The resource with that number, or null.
const EmbeddedResource* FindEmbeddedResource(int number) noexcept;
