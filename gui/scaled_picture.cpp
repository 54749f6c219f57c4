#include "gui/scaled_picture.h"

#include <iterator>

#include "gui/scale.h"
#include "resources/picture_scales.h"

namespace gui {

namespace {

template <typename Load>
std::shared_ptr<const Bitmap> Choose(double scale, Load load)
{
    scale = ValidScale(scale);
    std::shared_ptr<const Bitmap> found;
    for (const int drawn : kPictureScales) {
        if (drawn >= scale && (found = load(drawn))) break;
    }
    for (auto it = std::rbegin(kPictureScales); !found && it != std::rend(kPictureScales); ++it) {
        if (*it < scale) found = load(*it);
    }
    return Bitmap::Resampled(found, scale);
}

} // namespace

std::shared_ptr<const Bitmap> PictureResource(int number, double scale)
{
    return Choose(scale, [number](int drawn) { return Bitmap::FromResource(ScaledResourceNumber(number, drawn), drawn); });
}

std::shared_ptr<const Bitmap> PictureFile(const std::string& path, double scale)
{
    return Choose(scale, [&path](int drawn) { return Bitmap::FromPngFile(ScaledPictureName(path, drawn), drawn); });
}

} // namespace gui
