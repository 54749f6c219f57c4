#pragma once
// Checks of a picture drawn at a whole scale k against the same picture at scale 1: reduced
// by k it shows the same thing, and it is sharp: where the small picture has an edge, the
// large one has detail inside the k by k block (a magnified small picture has none).

#include <cstdint>
#include <cstdlib>
#include <functional>

namespace testing_support {

// A picture's pixel as 0xRRGGBB.
using PixelOf = std::function<std::uint32_t(int x, int y)>;

struct UnitBox {
    int x, y, width, height;
};

// The mean difference per colour channel (0 to 255) between the large picture reduced by
// `k` (each k by k block averaged) and the small one, over the box in units.
inline double ReducedDifference(const PixelOf& large, const PixelOf& small, int k, UnitBox box)
{
    double total = 0;
    for (int y = box.y; y < box.y + box.height; ++y) {
        for (int x = box.x; x < box.x + box.width; ++x) {
            for (int shift = 0; shift <= 16; shift += 8) {
                int sum = 0;
                for (int dy = 0; dy < k; ++dy)
                    for (int dx = 0; dx < k; ++dx)
                        sum += static_cast<int>(large(k * x + dx, k * y + dy) >> shift & 0xFF);
                total += std::abs(sum / double(k * k) - static_cast<int>(small(x, y) >> shift & 0xFF));
            }
        }
    }
    return total / (3.0 * box.width * box.height);
}

// Of the small picture's edge pixels in the box (those that differ from the pixel to their
// right or below), the share whose k by k block in the large picture is not one colour; 0
// when the box has no edge.
inline double SharpShare(const PixelOf& large, const PixelOf& small, int k, UnitBox box)
{
    int edges = 0;
    int detailed = 0;
    for (int y = box.y; y < box.y + box.height; ++y) {
        for (int x = box.x; x < box.x + box.width; ++x) {
            if (small(x, y) == small(x + 1, y) && small(x, y) == small(x, y + 1)) continue;
            ++edges;
            const std::uint32_t first = large(k * x, k * y);
            bool uniform = true;
            for (int dy = 0; dy < k && uniform; ++dy)
                for (int dx = 0; dx < k && uniform; ++dx)
                    uniform = large(k * x + dx, k * y + dy) == first;
            detailed += !uniform;
        }
    }
    return edges == 0 ? 0.0 : double(detailed) / edges;
}

} // namespace testing_support
