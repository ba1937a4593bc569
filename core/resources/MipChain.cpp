// See MipChain.h.
#include "core/resources/MipChain.h"

#include <GL/glew.h>

#include <algorithm>
#include <array>
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

bool MipChain::levelsAlike(int width, int height, int channels, const uint8_t* pixels,
                           const std::vector<MipLevel>& levels) {
    if (width < 1 || height < 1 || channels < 1 || pixels == nullptr) {
        return false;
    }
    int fromWidth = width;
    int fromHeight = height;
    const uint8_t* from = pixels;
    const auto stride = static_cast<size_t>(channels);
    for (const MipLevel& below : levels) {
        if (below.width < 1 || below.height < 1 ||
            below.pixels.size() <
                static_cast<size_t>(below.width) * static_cast<size_t>(below.height) * stride) {
            return false;
        }
        std::array<uint32_t, 256> counts{};
        uint64_t sum = 0;
        for (int y = 0; y < fromHeight; ++y) {
            const uint8_t* row = from + static_cast<size_t>(y) * static_cast<size_t>(fromWidth) * stride;
            const uint8_t* rowBelow =
                below.pixels.data() + static_cast<size_t>(std::min(y / 2, below.height - 1)) *
                                          static_cast<size_t>(below.width) * stride;
            for (int x = 0; x < fromWidth; ++x) {
                const uint8_t* texel = row + static_cast<size_t>(x) * stride;
                const uint8_t* texelBelow =
                    rowBelow + static_cast<size_t>(std::min(x / 2, below.width - 1)) * stride;
                int largest = 0;
                for (size_t c = 0; c < stride; ++c) {
                    largest = std::max(
                        largest, std::abs(static_cast<int>(texel[c]) - static_cast<int>(texelBelow[c])));
                }
                ++counts[static_cast<size_t>(largest)];
                sum += static_cast<uint64_t>(largest);
            }
        }
        const uint64_t texels = static_cast<uint64_t>(fromWidth) * static_cast<uint64_t>(fromHeight);
        if (static_cast<double>(sum) > alikeSteps * static_cast<double>(texels)) {
            return false;
        }
        // Texels further apart than the worst allowed: at most a hundredth.
        uint64_t farther = 0;
        for (size_t steps = alikeWorstSteps + 1; steps < counts.size(); ++steps) {
            farther += counts[steps];
        }
        if (farther * 100 > texels) {
            return false;
        }
        from = below.pixels.data();
        fromWidth = below.width;
        fromHeight = below.height;
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
