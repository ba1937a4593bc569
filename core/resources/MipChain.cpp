// See MipChain.h.
#include "core/resources/MipChain.h"

#include <GL/glew.h>

#include <algorithm>
#include <cstdlib>

std::vector<MipLevel> MipChain::below(int width, int height, int channels, const uint8_t* pixels) {
    std::vector<MipLevel> levels;
    if (width < 1 || height < 1 || channels < 1 || pixels == nullptr || (width == 1 && height == 1)) {
        return levels;
    }
    int fromWidth = width;
    int fromHeight = height;
    const uint8_t* from = pixels;
    while (fromWidth > 1 || fromHeight > 1) {
        MipLevel level;
        level.width = std::max(1, fromWidth / 2);
        level.height = std::max(1, fromHeight / 2);
        level.pixels.resize(static_cast<size_t>(level.width) * static_cast<size_t>(level.height) *
                            static_cast<size_t>(channels));
        const size_t fromRow = static_cast<size_t>(fromWidth) * static_cast<size_t>(channels);
        uint8_t* out = level.pixels.data();
        for (int y = 0; y < level.height; ++y) {
            const uint8_t* row0 = from + static_cast<size_t>(std::min(2 * y, fromHeight - 1)) * fromRow;
            const uint8_t* row1 = from + static_cast<size_t>(std::min(2 * y + 1, fromHeight - 1)) * fromRow;
            for (int x = 0; x < level.width; ++x) {
                const size_t x0 =
                    static_cast<size_t>(std::min(2 * x, fromWidth - 1)) * static_cast<size_t>(channels);
                const size_t x1 =
                    static_cast<size_t>(std::min(2 * x + 1, fromWidth - 1)) * static_cast<size_t>(channels);
                for (int c = 0; c < channels; ++c) {
                    const unsigned sum =
                        row0[x0 + static_cast<size_t>(c)] + row0[x1 + static_cast<size_t>(c)] +
                        row1[x0 + static_cast<size_t>(c)] + row1[x1 + static_cast<size_t>(c)];
                    *out++ = static_cast<uint8_t>((sum + 2u) / 4u);
                }
            }
        }
        levels.push_back(std::move(level));
        from = levels.back().pixels.data();
        fromWidth = levels.back().width;
        fromHeight = levels.back().height;
    }
    return levels;
}

namespace {

// Whether one level stays within the limits of MipChain::levelsAlike against
// the level below it. Gives up as soon as too many texels lie too far apart.
bool levelAlike(const uint8_t* pixels, int width, int height, size_t channels, const MipLevel& below) {
    const uint64_t texels = static_cast<uint64_t>(width) * static_cast<uint64_t>(height);
    const auto sumLimit = static_cast<uint64_t>(MipChain::alikeSteps * static_cast<double>(texels));
    const uint64_t fartherLimit = texels / 100;
    uint64_t sum = 0;
    uint64_t farther = 0;
    for (int y = 0; y < height; ++y) {
        const uint8_t* row = pixels + static_cast<size_t>(y) * static_cast<size_t>(width) * channels;
        const uint8_t* rowBelow =
            below.pixels.data() + static_cast<size_t>(std::min(y / 2, below.height - 1)) *
                                      static_cast<size_t>(below.width) * channels;
        for (int x = 0; x < width; ++x) {
            const uint8_t* texel = row + static_cast<size_t>(x) * channels;
            const uint8_t* texelBelow =
                rowBelow + static_cast<size_t>(std::min(x / 2, below.width - 1)) * channels;
            int largest = 0;
            for (size_t c = 0; c < channels; ++c) {
                largest =
                    std::max(largest, std::abs(static_cast<int>(texel[c]) - static_cast<int>(texelBelow[c])));
            }
            sum += static_cast<uint64_t>(largest);
            farther += largest > MipChain::alikeWorstSteps ? 1u : 0u;
        }
        if (sum > sumLimit || farther > fartherLimit) {
            return false;
        }
    }
    return true;
}

} // namespace

bool MipChain::levelsAlike(int width, int height, int channels, const uint8_t* pixels,
                           const std::vector<MipLevel>& levels) {
    if (width < 1 || height < 1 || channels < 1 || pixels == nullptr) {
        return false;
    }
    const auto stride = static_cast<size_t>(channels);
    for (const MipLevel& level : levels) {
        if (level.width < 1 || level.height < 1 ||
            level.pixels.size() <
                static_cast<size_t>(level.width) * static_cast<size_t>(level.height) * stride) {
            return false;
        }
    }
    // The smallest levels first: they cost least, and most pictures with lines
    // or patches of colour already differ there.
    for (size_t i = levels.size(); i-- > 0;) {
        const bool top = i == 0;
        if (!levelAlike(top ? pixels : levels[i - 1].pixels.data(), top ? width : levels[i - 1].width,
                        top ? height : levels[i - 1].height, stride, levels[i])) {
            return false;
        }
    }
    return true;
}

int MipChain::levelCount(int width, int height) {
    int count = 1;
    for (int side = std::max(width, height); side > 1; side /= 2) {
        ++count;
    }
    return count;
}

void MipChain::upload(unsigned target, unsigned pixelFormat, const std::vector<MipLevel>& levels) {
    GLint alignment = 4;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    GLint level = 1;
    for (const MipLevel& mip : levels) {
        glTexSubImage2D(target, level++, 0, 0, mip.width, mip.height, pixelFormat, GL_UNSIGNED_BYTE,
                        mip.pixels.data());
    }
    glPixelStorei(GL_UNPACK_ALIGNMENT, alignment);
}
