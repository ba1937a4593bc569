// The smaller levels of a texture, averaged on the CPU. The driver's own
// glGenerateMipmap is a draw on llvmpipe: it compiles a shader per format and
// size class on the main thread (a tenth of a second each, before the title's
// first frame could show), where a box filter costs milliseconds and can run on
// the threads that decode the pictures.
#pragma once

#include <cstdint>
#include <vector>

struct MipLevel {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> pixels;
};

class MipChain {
public:
    // Every level below a width x height picture of tightly packed rows with
    // channels bytes per pixel, each half the one above (rounded down, at least
    // one pixel) down to 1 x 1; each pixel averages the 2 x 2 above it, the last
    // row or column of an odd side averaging with itself. Empty for a 1 x 1 or
    // empty picture.
    static std::vector<MipLevel> below(int width, int height, int channels, const uint8_t* pixels);

    // Whether reading a picture from its nearer mip level alone, instead of
    // blending the two around each lookup, shows no step where the level
    // changes: the picture and each of its levels but the last, compared texel
    // by texel with the texel of the next level down that averages it, stay
    // within alikeSteps on average and within alikeWorstSteps in all but their
    // farthest hundredth of texels (a texel's largest difference over its
    // channels, in steps of 1/255). levels are those MipChain::below gives.
    // True of fine noise such as grass or sand; false where lines, stripes or
    // patches of colour blur away from one level to the next.
    static bool levelsAlike(int width, int height, int channels, const uint8_t* pixels,
                            const std::vector<MipLevel>& levels);
    static constexpr double alikeSteps = 4.0;
    static constexpr int alikeWorstSteps = 16;

    // How many levels a width x height texture has, itself included.
    static int levelCount(int width, int height);

    // Fills levels 1, 2, ... of the bound target (a 2D texture or a cube face,
    // whose storage holds them: glTexStorage2D with levelCount levels) from
    // levels, in the given pixel format, rows packed one byte apart.
    static void upload(unsigned target, unsigned pixelFormat, const std::vector<MipLevel>& levels);
};
