#pragma once
// The skin pictures come drawn for these scales. Picture n at scale 1 is resource n and
// the file "name.png"; at a larger scale k it is resource n + 100 * k and the file
// "name@kx.png" beside it.

#include <string>

inline constexpr int kPictureScales[] = {1, 2, 3};

constexpr int ScaledResourceNumber(int number, int scale) { return scale <= 1 ? number : number + 100 * scale; }

inline std::string ScaledPictureName(const std::string& name, int scale)
{
    if (scale <= 1) return name;
    const std::string::size_type dot = name.rfind('.');
    const std::string::size_type slash = name.find_last_of("/\\");
    const bool extension = dot != std::string::npos && (slash == std::string::npos || dot > slash);
    // Appended piece by piece: GCC 12 warns wrongly (-Wrestrict) about "@" + std::string at -O3.
    std::string scaled = name.substr(0, extension ? dot : std::string::npos);
    scaled.append(1, '@').append(std::to_string(scale)).append(1, 'x');
    if (extension) scaled.append(name, dot, std::string::npos);
    return scaled;
}
