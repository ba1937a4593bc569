// The CPU mipmaps: sizes down to one pixel, each pixel the rounded average of
// the 2 x 2 above it, odd sides reusing their last row or column; and which
// pictures look alike from one level to the next.
#include "core/resources/MipChain.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

TEST(MipChain, HalvesEachSideDownToOnePixelAveragingTwoByTwo) {
    // 5 x 3, two channels: the first counts along the row, the second is the row number times 10.
    std::vector<uint8_t> pixels;
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 5; ++x) {
            pixels.push_back(static_cast<uint8_t>(x));
            pixels.push_back(static_cast<uint8_t>(y * 10));
        }
    }
    const std::vector<MipLevel> levels = MipChain::below(5, 3, 2, pixels.data());
    ASSERT_EQ(levels.size(), 2u);
    EXPECT_EQ(levels[0].width, 2);
    EXPECT_EQ(levels[0].height, 1);
    // (0+1+0+1)/4 rounds to 1 (0.5 up), (2+3+2+3)/4 = 2.5 rounds to 3; rows 0 and 1 give 5.
    EXPECT_EQ(levels[0].pixels, (std::vector<uint8_t>{1, 5, 3, 5}));
    EXPECT_EQ(levels[1].width, 1);
    EXPECT_EQ(levels[1].height, 1);
    EXPECT_EQ(levels[1].pixels, (std::vector<uint8_t>{2, 5}));

    // A strip keeps its one row; the last column of an odd side averages with itself.
    const std::vector<uint8_t> strip = {0, 8, 16, 24, 32, 40, 48, 56, 255};
    const std::vector<MipLevel> stripLevels = MipChain::below(9, 1, 1, strip.data());
    ASSERT_EQ(stripLevels.size(), 3u);
    EXPECT_EQ(stripLevels[0].pixels, (std::vector<uint8_t>{4, 20, 36, 52}));
    EXPECT_EQ(stripLevels[2].width, 1);
    EXPECT_EQ(stripLevels[2].height, 1);

    // Nothing below a single pixel or an empty picture.
    EXPECT_TRUE(MipChain::below(1, 1, 4, strip.data()).empty());
    EXPECT_TRUE(MipChain::below(0, 4, 4, strip.data()).empty());
    EXPECT_TRUE(MipChain::below(4, 4, 4, nullptr).empty());
}

TEST(MipChain, FineNoiseLooksAlikeFromLevelToLevelButLinesAndPatchesDoNot) {
    constexpr int side = 64;
    const auto alike = [](const std::vector<uint8_t>& pixels) {
        return MipChain::levelsAlike(side, side, 1, pixels.data(),
                                     MipChain::below(side, side, 1, pixels.data()));
    };
    // Grass-like: a mid grey with texels a few steps either side of it.
    std::vector<uint8_t> noise(side * side);
    uint32_t seed = 12345u;
    for (uint8_t& texel : noise) {
        seed = seed * 1664525u + 1013904223u;
        texel = static_cast<uint8_t>(120 + (seed >> 24) % 7);
    }
    EXPECT_TRUE(alike(noise));

    // A thin bright line every 8 rows blurs into the grey a level down.
    std::vector<uint8_t> lined = noise;
    for (int y = 0; y < side; y += 8) {
        std::fill_n(lined.begin() + y * side, side, uint8_t{250});
    }
    EXPECT_FALSE(alike(lined));

    // Two flat halves meet only at the last level, which is all one colour.
    std::vector<uint8_t> halves(side * side);
    for (int i = 0; i < side * side; ++i) {
        halves[static_cast<size_t>(i)] = (i % side) < side / 2 ? 40 : 200;
    }
    EXPECT_FALSE(alike(halves));
}
