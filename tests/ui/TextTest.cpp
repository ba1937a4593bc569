// Fonts and text layout: glyph rasterising into the atlas, spaces, the "a"
// fallback, the normalising matrix that fits a string into its rectangle,
// outlines, and failed fonts.
#include "core/ui/Text.h"
#include "FontAssets.h"
#include "core/resources/ResourceCache.h"
#include "core/resources/Texture2D.h"
#include "core/runtime/Entity.h"
#include "core/runtime/Scene.h"
#include "core/runtime/SceneManager.h"
#include "core/ui/Font.h"
#include "core/ui/Transform2D.h"
#include "support/LogCapture.h"
#include "support/TestEngine.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <vector>

namespace {

constexpr int pixelSize = 32;

struct Rect {
    float left, right, bottom, top;
    float width() const { return right - left; }
};

Rect rectOf(const Text::Quad& quad) {
    return {quad.low.x, quad.high.x, quad.low.y, quad.high.y};
}

float advanceOf(const Glyph& glyph) {
    return static_cast<float>(glyph.advance / 64);
}

// One engine and one font for the whole suite: rasterising a font into GL
// textures takes seconds on a software renderer.
class TextTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        const std::string assets = fontAssetsDir();
        if (assets.empty()) {
            return;
        }
        Config config = testConfig(800, 600);
        config.assetsDir = assets;
        engine = new TestEngine(config);
        font = engine->get<ResourceCache>()->create<Font>("test");
        font->load(std::string("fonts/") + testFontFile, pixelSize);
    }

    static void TearDownTestSuite() {
        delete engine;
        engine = nullptr;
        font = nullptr;
    }

    void SetUp() override {
        if (engine == nullptr) {
            GTEST_SKIP() << "fonts-dejavu-core is not installed";
        }
        ASSERT_TRUE(font->hasGlyph('A'));
        scene = engine->get<SceneManager>()->createScene(
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
        Entity* entity = scene->createEntity("label");
        // The rectangle spans x 100..500 and y 450..500 from the bottom-left corner.
        transform = entity->addComponent<Transform2D>();
        transform->setRelative(false);
        transform->setAnchor(Anchor::TopLeft);
        transform->setPosition({100.0f, 100.0f});
        transform->setSize({400.0f, 50.0f});
        text = entity->addComponent<Text>(font);
    }

    const std::vector<Text::Quad>& layout(const std::string& value) {
        text->text = value;
        text->prepare(0.016f);
        return text->getQuads();
    }

    static TestEngine* engine;
    static Font* font;
    Scene* scene = nullptr;
    Transform2D* transform = nullptr;
    Text* text = nullptr;
};

TestEngine* TextTest::engine = nullptr;
Font* TextTest::font = nullptr;

} // namespace

TEST_F(TextTest, FontPacksPrintableCodesWithTheirOutlinesIntoOneAtlas) {
    const Glyph a = font->getGlyph('A');
    ASSERT_NE(a.texture, nullptr);
    EXPECT_EQ(a.texture, font->getAtlas());
    EXPECT_EQ(font->getGlyph('z').texture, a.texture);
    EXPECT_EQ(a.texture->getFormat(), TextureFormat::RedGreen);
    EXPECT_GT(a.width, 10);
    // Where the coverage and its outline land on screen is the UI screenshot test's case.
    EXPECT_EQ(a.bearingY, a.height) << "a capital sits on the baseline";
    EXPECT_FALSE(font->hasGlyph(' ')) << "a space has no bitmap and stores nothing";
    EXPECT_GT(font->getGlyph('g').height, font->getGlyph('g').bearingY) << "descender below the baseline";
    // Every code but the space: control codes get the font's missing-glyph box.
    EXPECT_EQ(font->getGlyphCount(), 126u);
}

TEST_F(TextTest, NormalisingMatrixPutsTheBaselineOnTheBottomEdgeAndTheStringAcrossTheWidth) {
    const Glyph a = font->getGlyph('A');
    const auto& quads = layout("A");
    ASSERT_EQ(quads.size(), 1u);
    ASSERT_EQ(text->getItems().size(), 1u) << "one draw for the whole text";
    EXPECT_EQ(text->getItems()[0].texture, font->getAtlas());
    EXPECT_EQ(text->getItems()[0].quadCount, 1u);
    const float length = advanceOf(a);
    const Rect r = rectOf(quads[0]);
    EXPECT_NEAR(r.left, 100.0f + static_cast<float>(a.bearingX) / length * 400.0f, 1e-3f);
    EXPECT_NEAR(r.right, 100.0f + static_cast<float>(a.bearingX + a.width) / length * 400.0f, 1e-3f);
    EXPECT_NEAR(r.bottom, 450.0f, 1e-3f);
    EXPECT_NEAR(r.top, 450.0f + static_cast<float>(a.height) / pixelSize * 50.0f, 1e-3f);
    EXPECT_FLOAT_EQ(transform->getAspect(), length / pixelSize);
}

TEST_F(TextTest, SpaceAdvancesHalfTheWidthOfCapitalA) {
    const Glyph a = font->getGlyph('A');
    const float space = static_cast<float>(a.width) / 2.0f;
    const auto& quads = layout("A A");
    ASSERT_EQ(quads.size(), 2u);
    const float length = 2.0f * advanceOf(a) + space;
    EXPECT_NEAR(rectOf(quads[1]).left,
                100.0f + (advanceOf(a) + space + static_cast<float>(a.bearingX)) / length * 400.0f, 1e-3f);

    EXPECT_TRUE(layout("   ").empty());
    EXPECT_FLOAT_EQ(transform->getAspect(), 3.0f * space / pixelSize) << "spaces alone still have a length";
}

TEST_F(TextTest, CodesWithoutGlyphFallBackToLowercaseA) {
    const Glyph a = font->getGlyph('a');
    EXPECT_FALSE(font->hasGlyph('\x7f'));
    const auto& quads = layout("\x7f\xe9");
    ASSERT_EQ(quads.size(), 2u);
    EXPECT_NEAR(rectOf(quads[0]).width(), rectOf(quads[1]).width(), 1e-3f);
    EXPECT_NEAR(rectOf(quads[1]).left - rectOf(quads[0]).left, 400.0f / 2.0f, 1e-3f);
    EXPECT_NEAR(rectOf(quads[0]).width() / 200.0f, static_cast<float>(a.width) / advanceOf(a), 1e-3f);
}

TEST_F(TextTest, AnOutlinedTextLaysDarkRimsAroundEveryGlyphBeneathAllTheGlyphs) {
    const std::vector<Text::Quad> plain = layout("AV");
    text->outlined = true;
    text->color = glm::vec4(1.0f, 1.0f, 1.0f, 0.5f);
    const auto& quads = layout("AV");
    ASSERT_EQ(quads.size(), 2u * plain.size());
    const size_t rims = plain.size();
    // 50 pixels tall: the font's outline reaches 1.4 * 6 % of that, 4.2 pixels,
    // past each glyph above and below; across, the string is stretched to the
    // rectangle's width, and the outline with it.
    for (size_t i = 0; i < plain.size(); ++i) {
        const Rect inner = rectOf(plain[i]);
        const Rect outer = rectOf(quads[i]);
        EXPECT_TRUE(quads[i].rim);
        EXPECT_FALSE(quads[rims + i].rim);
        EXPECT_EQ(quads[rims + i].low, plain[i].low) << "the glyphs themselves stay put, on top";
        const float across =
            font->outlineReach() * inner.width() / static_cast<float>(font->getGlyph("AV"[i]).width);
        EXPECT_NEAR(inner.left - outer.left, across, 1e-3f);
        EXPECT_NEAR(outer.right - inner.right, across, 1e-3f);
        EXPECT_NEAR(inner.bottom - outer.bottom, 4.2f, 1e-3f);
        EXPECT_NEAR(outer.top - inner.top, 4.2f, 1e-3f);
    }
    ASSERT_EQ(text->getItems().size(), 1u);
    EXPECT_EQ(text->getItems()[0].rimColor, glm::vec4(0.0f, 0.0f, 0.0f, 0.5f)) << "fades with the text";
}

TEST_F(TextTest, EmptyTextOrAFailedFontDrawsNothingAndLeavesTheTransformAlone) {
    transform->setAspect(3.0f);
    EXPECT_TRUE(layout("").empty());
    EXPECT_TRUE(text->getItems().empty());
    EXPECT_FLOAT_EQ(transform->getAspect(), 3.0f);

    LogCapture log;
    Font* broken = engine->get<ResourceCache>()->create<Font>("broken");
    EXPECT_FALSE(broken->load("fonts/missing.ttf", pixelSize));
    EXPECT_TRUE(log.contains("Failed to load font fonts/missing.ttf"));
    EXPECT_EQ(broken->getGlyph('a').texture, nullptr);
    // A truncated or foreign file is a failure too (load names the file, as above).
    const std::string whole = fontAssetsDir() + "fonts/" + testFontFile;
    std::ifstream in(whole, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    for (const size_t keep : {size_t{20000}, size_t{2000}, size_t{11}}) {
        EXPECT_FALSE(broken->loadFromMemory("cut", bytes.data(), keep, pixelSize)) << keep;
        EXPECT_EQ(broken->getGlyphCount(), 0u) << keep;
    }
    const std::string words = "not a font, but long enough to be read as one";
    EXPECT_FALSE(broken->loadFromMemory("words", words.data(), words.size(), pixelSize));
    text->font = broken;
    EXPECT_TRUE(layout("Hi there").empty());
    EXPECT_FLOAT_EQ(transform->getAspect(), 3.0f);
}
