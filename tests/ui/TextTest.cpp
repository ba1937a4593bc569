// Fonts and text layout: glyph rasterising, spaces, the "a" fallback, the
// normalising matrix that fits a string into its rectangle, and failed fonts.
// Layout needs no window: glyph metrics load without a GL context.
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

#include <algorithm>

namespace {

constexpr int pixelSize = 32;

struct Rect {
    float left, right, bottom, top;
    float width() const { return right - left; }
};

// The quad's corners through the model matrix; glyph quads are flipped
// vertically, so the corners are sorted back into edges.
Rect rectOf(const glm::mat4& m) {
    const glm::vec4 a = m * glm::vec4(-0.5f, -0.5f, 0.0f, 1.0f);
    const glm::vec4 b = m * glm::vec4(0.5f, 0.5f, 0.0f, 1.0f);
    return {std::min(a.x, b.x), std::max(a.x, b.x), std::min(a.y, b.y), std::max(a.y, b.y)};
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

    const std::vector<UIDrawItem>& layout(const std::string& value) {
        text->text = value;
        text->prepare(0.016f);
        return text->getItems();
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

TEST_F(TextTest, FontRasterisesPrintableCodesIntoRedTextures) {
    const Glyph a = font->getGlyph('A');
    ASSERT_NE(a.texture, nullptr);
    EXPECT_EQ(a.texture->getFormat(), TextureFormat::Red);
    EXPECT_GT(a.width, 10);
    EXPECT_EQ(a.bearingY, a.height) << "a capital sits on the baseline";
    EXPECT_FALSE(font->hasGlyph(' ')) << "a space has no bitmap and stores nothing";
    EXPECT_GT(font->getGlyph('g').height, font->getGlyph('g').bearingY) << "descender below the baseline";
    // Every code but the space: control codes get the font's missing-glyph box.
    EXPECT_EQ(font->getGlyphCount(), 126u);
}

TEST_F(TextTest, NormalisingMatrixPutsTheBaselineOnTheBottomEdgeAndTheStringAcrossTheWidth) {
    const Glyph a = font->getGlyph('A');
    const auto& items = layout("A");
    ASSERT_EQ(items.size(), 1u);
    const float length = advanceOf(a);
    const Rect r = rectOf(items[0].model);
    EXPECT_NEAR(r.left, 100.0f + static_cast<float>(a.bearingX) / length * 400.0f, 1e-3f);
    EXPECT_NEAR(r.right, 100.0f + static_cast<float>(a.bearingX + a.width) / length * 400.0f, 1e-3f);
    EXPECT_NEAR(r.bottom, 450.0f, 1e-3f);
    EXPECT_NEAR(r.top, 450.0f + static_cast<float>(a.height) / pixelSize * 50.0f, 1e-3f);
    EXPECT_EQ(items[0].texture, a.texture);
    EXPECT_FLOAT_EQ(transform->getAspect(), length / pixelSize);

    // Twice the characters in the same rectangle halve every glyph.
    const float two = rectOf(layout("AA")[0].model).width();
    EXPECT_NEAR(rectOf(layout("AAAA")[0].model).width(), two / 2.0f, 1e-3f);
    EXPECT_EQ(text->getItems().size(), 4u);
}

TEST_F(TextTest, SpaceAdvancesHalfTheWidthOfCapitalA) {
    const Glyph a = font->getGlyph('A');
    const float space = static_cast<float>(a.width) / 2.0f;
    const auto& items = layout("A A");
    ASSERT_EQ(items.size(), 2u);
    const float length = 2.0f * advanceOf(a) + space;
    EXPECT_NEAR(rectOf(items[1].model).left,
                100.0f + (advanceOf(a) + space + static_cast<float>(a.bearingX)) / length * 400.0f, 1e-3f);

    EXPECT_TRUE(layout("   ").empty());
    EXPECT_FLOAT_EQ(transform->getAspect(), 3.0f * space / pixelSize) << "spaces alone still have a length";
}

TEST_F(TextTest, CodesWithoutGlyphFallBackToLowercaseA) {
    const Glyph a = font->getGlyph('a');
    EXPECT_FALSE(font->hasGlyph('\x7f'));
    const auto& items = layout("\x7f\xe9");
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0].texture, a.texture);
    EXPECT_EQ(items[1].texture, a.texture);
    EXPECT_NEAR(rectOf(items[1].model).left - rectOf(items[0].model).left, 400.0f / 2.0f, 1e-3f);
}

TEST_F(TextTest, AnOutlinedTextLaysDarkRimsAroundEveryGlyphBeneathAllTheGlyphs) {
    const std::vector<UIDrawItem> plain = layout("AV");
    text->outlined = true;
    text->color = glm::vec4(1.0f, 1.0f, 1.0f, 0.5f);
    const auto& items = layout("AV");
    ASSERT_EQ(items.size(), 2u * plain.size());
    const size_t rims = plain.size();
    for (size_t i = 0; i < plain.size(); ++i) {
        EXPECT_EQ(items[rims + i].model, plain[i].model) << "the glyphs themselves stay put, on top";
        EXPECT_EQ(items[rims + i].rim, glm::vec4(0.0f));
    }
    // 50 pixels tall: rims 6 % of that, 3 pixels, out in eight directions (4.2
    // pixels along the axes), so each rim's quad takes in its glyph and 4.2
    // pixels more on every side.
    for (size_t i = 0; i < rims; ++i) {
        const UIDrawItem& glyph = plain[i];
        const UIDrawItem& rim = items[i];
        EXPECT_EQ(rim.texture, glyph.texture);
        EXPECT_EQ(rim.color, glm::vec4(0.0f, 0.0f, 0.0f, 0.8f * 0.5f)) << "fades with the text";
        const Rect inner = rectOf(glyph.model);
        const Rect outer = rectOf(rim.model);
        EXPECT_NEAR(inner.left - outer.left, 4.2f, 1e-3f);
        EXPECT_NEAR(outer.right - inner.right, 4.2f, 1e-3f);
        EXPECT_NEAR(inner.bottom - outer.bottom, 4.2f, 1e-3f);
        EXPECT_NEAR(outer.top - inner.top, 4.2f, 1e-3f);
        EXPECT_NEAR(rim.rim.z * inner.width(), 3.0f, 1e-3f);
        EXPECT_NEAR(rim.rim.w * (inner.top - inner.bottom), 3.0f, 1e-3f);
    }
}

TEST_F(TextTest, EmptyTextOrAFailedFontDrawsNothingAndLeavesTheTransformAlone) {
    transform->setAspect(3.0f);
    EXPECT_TRUE(layout("").empty());
    EXPECT_FLOAT_EQ(transform->getAspect(), 3.0f);

    LogCapture log;
    Font* broken = engine->get<ResourceCache>()->create<Font>("broken");
    EXPECT_FALSE(broken->load("fonts/missing.ttf", pixelSize));
    EXPECT_TRUE(log.contains("Failed to load font fonts/missing.ttf"));
    EXPECT_EQ(broken->getGlyph('a').texture, nullptr);
    // A truncated or foreign file is a failure too, and says so.
    const std::string whole = fontAssetsDir() + "fonts/" + testFontFile;
    std::ifstream in(whole, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    for (const size_t keep : {size_t{20000}, size_t{2000}, size_t{11}}) {
        log.clear();
        EXPECT_FALSE(broken->loadFromMemory("cut", bytes.data(), keep, pixelSize)) << keep;
        EXPECT_EQ(broken->getGlyphCount(), 0u) << keep;
    }
    const std::string words = "not a font, but long enough to be read as one";
    EXPECT_FALSE(broken->loadFromMemory("words", words.data(), words.size(), pixelSize));
    text->font = broken;
    EXPECT_TRUE(layout("Hi there").empty());
    EXPECT_FLOAT_EQ(transform->getAspect(), 3.0f);
}
