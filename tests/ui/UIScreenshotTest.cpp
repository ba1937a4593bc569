// What the UI puts on screen, read back from the window under Xvfb. Every
// picture is also written to <build>/screenshots/ui/ for a person to look at.
#include "FontAssets.h"
#include "core/render/Camera.h"
#include "core/render/Graphics.h"
#include "core/render/MeshRenderer.h"
#include "core/render/Renderer.h"
#include "core/resources/Material.h"
#include "core/resources/Mesh.h"
#include "core/resources/ResourceCache.h"
#include "core/resources/Shader.h"
#include "core/resources/Texture2D.h"
#include "core/runtime/Entity.h"
#include "core/runtime/Scene.h"
#include "core/runtime/SceneManager.h"
#include "core/runtime/Transform.h"
#include "core/ui/Font.h"
#include "core/ui/Text.h"
#include "core/ui/Transform2D.h"
#include "core/ui/UI.h"
#include "core/ui/UITex.h"
#include "support/TestEngine.h"

#include <glm/gtc/matrix_transform.hpp>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <vector>

namespace {

using Pixel = std::array<uint8_t, 4>;

const Pixel black{0, 0, 0, 255};
const Pixel red{255, 0, 0, 255};
const Pixel green{0, 255, 0, 255};
const Pixel blue{0, 0, 255, 255};
const Pixel yellow{255, 255, 0, 255};

// A frame read back from the back buffer, rows from the top of the window down.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgba;

    Pixel at(int x, int y) const {
        const size_t i =
            (static_cast<size_t>(height - 1 - y) * static_cast<size_t>(width) + static_cast<size_t>(x)) * 4;
        return {rgba[i], rgba[i + 1], rgba[i + 2], rgba[i + 3]};
    }
};

// Bounding box of the pixels that pass a test, in window pixels from the top-left.
struct Box {
    int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;
    bool empty() const { return right < left; }
    int width() const { return right - left + 1; }
    int height() const { return bottom - top + 1; }
};

template <typename Match> Box boxOf(const Picture& picture, Match match) {
    Box box;
    for (int y = 0; y < picture.height; ++y) {
        for (int x = 0; x < picture.width; ++x) {
            if (match(picture.at(x, y))) {
                box.left = std::min(box.left, x);
                box.right = std::max(box.right, x);
                box.top = std::min(box.top, y);
                box.bottom = std::max(box.bottom, y);
            }
        }
    }
    return box;
}

Box boxOfColor(const Picture& picture, const Pixel& color) {
    return boxOf(picture, [&](const Pixel& p) { return p == color; });
}

class UIScreenshotTest : public ::testing::Test {
protected:
    void SetUp() override { TW_REQUIRE_DISPLAY(); }

    void open(int width, int height, const std::string& assetsDir = TW_ASSETS_DIR) {
        Config config = testConfig(width, height);
        config.assetsDir = assetsDir;
        engine = std::make_unique<TestEngine>(config);
        ASSERT_TRUE(engine->get<Graphics>()->hasWindow());
        scene = engine->get<SceneManager>()->createScene("ui");
        cache = engine->get<ResourceCache>();
        white = cache->get<Texture2D>("white");
    }

    UITex* addTex(const std::string& name, const Pixel& color, uint32_t layer = 0) {
        Entity* entity = scene->createEntity(name);
        entity->addComponent<Transform2D>()->setRelative(true);
        UITex* tex = entity->addComponent<UITex>(white);
        tex->color = glm::vec4(color[0], color[1], color[2], color[3]) / 255.0f;
        tex->layer = layer;
        return tex;
    }

    // One frame as the engine draws it: the 3D views, then the UI over the whole
    // window; read back before the swap.
    Picture capture(const std::string& name) {
        Graphics* graphics = engine->get<Graphics>();
        graphics->beginFrame();
        graphics->setViewport(0, 0, graphics->width, graphics->height);
        glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        engine->get<Renderer>()->render(*scene, 0.016f);
        UI* ui = engine->get<UI>();
        ui->update(*scene, 0.016f);
        ui->draw();
        Picture picture;
        picture.width = graphics->width;
        picture.height = graphics->height;
        picture.rgba.resize(static_cast<size_t>(picture.width * picture.height) * 4);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, picture.width, picture.height, GL_RGBA, GL_UNSIGNED_BYTE, picture.rgba.data());
        const std::filesystem::path dir = std::filesystem::path(TW_BINARY_DIR) / "screenshots" / "ui";
        std::filesystem::create_directories(dir);
        graphics->saveScreenshot((dir / (name + ".png")).string());
        graphics->endFrame();
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR)) << name;
        return picture;
    }

    // A small 3D view under the UI: a camera looking at an unlit cube.
    void addView() {
        Entity* eye = scene->createEntity("camera");
        eye->addComponent<Transform>()->setLocalMatrix(glm::inverse(
            glm::lookAt(glm::vec3(1.2f, 1.0f, 2.0f), glm::vec3(0.0f), glm::vec3(0.0f, 1.0f, 0.0f))));
        eye->addComponent<Camera>()->clearColor = glm::vec3(0.2f, 0.3f, 0.5f);
        Material* material = cache->create<Material>("cube");
        material->setShader(cache->get<Shader>("default"));
        material->setUniform("albedo", glm::vec4(0.9f, 0.5f, 0.1f, 1.0f));
        Entity* cube = scene->createEntity("cube");
        cube->addComponent<Transform>();
        cube->addComponent<MeshRenderer>(cache->get<Mesh>("cube"), std::vector<Material*>{material});
    }

    std::unique_ptr<TestEngine> engine;
    Scene* scene = nullptr;
    ResourceCache* cache = nullptr;
    Texture2D* white = nullptr;
};

} // namespace

TEST_F(UIScreenshotTest, TextureKeepsItsProportionsAndOrientationUnderAspectMode1) {
    ASSERT_NO_FATAL_FAILURE(open(320, 200));
    // 256 x 128, rows bottom first: left half blue, right half yellow, top eight rows green.
    std::vector<uint8_t> pixels(256 * 128 * 4);
    for (int y = 0; y < 128; ++y) {
        for (int x = 0; x < 256; ++x) {
            const Pixel& p = y >= 120 ? green : (x < 128 ? blue : yellow);
            std::copy(p.begin(), p.end(), pixels.begin() + (y * 256 + x) * 4);
        }
    }
    Texture2D* flag = cache->create<Texture2D>("flag");
    flag->create(256, 128, TextureFormat::RGBA, pixels.data());
    UITex* tex = addTex("flag", {255, 255, 255, 255});
    tex->texture = flag;
    Transform2D* transform = tex->getTransform();
    transform->setRelative(false);
    transform->setAnchor(Anchor::TopLeft);
    transform->setPosition({20.0f, 30.0f});
    transform->setSize({200.0f, 20.0f});
    transform->setAspectMode(AspectMode::HeightFollowsWidth);
    const Picture picture = capture("aspect_mode_1");
    const Box box = boxOf(picture, [](const Pixel& p) { return p != black; });
    EXPECT_EQ(glm::ivec4(box.left, box.top, box.width(), box.height()), glm::ivec4(20, 30, 200, 100));
    EXPECT_EQ(picture.at(60, 80), blue);
    EXPECT_EQ(picture.at(180, 80), yellow);
    EXPECT_EQ(picture.at(120, 31), green) << "the texture's top row is at the top";
}

TEST_F(UIScreenshotTest, GlyphsLandWhereTheLayoutPutsThemUprightInTheElementsColour) {
    if (fontAssetsDir().empty()) {
        GTEST_SKIP() << "fonts-dejavu-core is not installed";
    }
    ASSERT_NO_FATAL_FAILURE(open(320, 200, fontAssetsDir()));
    Font* font = cache->create<Font>("dejavu");
    ASSERT_TRUE(font->load(std::string("fonts/") + testFontFile, 48));
    Entity* entity = scene->createEntity("line");
    Transform2D* transform = entity->addComponent<Transform2D>();
    transform->setSize({0.8f, 0.0f});
    transform->setAspectMode(AspectMode::HeightFollowsWidth);
    Text* text = entity->addComponent<Text>(font, "Torquewind");
    text->color = glm::vec4(1.0f, 0.8f, 0.0f, 1.0f);
    const Picture picture = capture("text");
    const Box ink = boxOf(picture, [](const Pixel& p) { return p[0] > 128; });
    ASSERT_FALSE(ink.empty());
    // Fully covered glyph pixels show the element's colour exactly.
    EXPECT_FALSE(boxOfColor(picture, {255, 204, 0, 255}).empty());
    // The glyph quads as laid out (checked in TextTest), in window pixels from
    // the top: the drawn ink must fill them and nothing else.
    const auto quadOf = [](const Text::Quad& quad) {
        const glm::ivec2 low(glm::round(quad.low));
        const glm::ivec2 high(glm::round(quad.high));
        return Box{low.x, 200 - high.y, high.x - 1, 199 - low.y};
    };
    Box quads;
    for (const Text::Quad& laidOut : text->getQuads()) {
        const Box quad = quadOf(laidOut);
        quads = {std::min(quads.left, quad.left), std::min(quads.top, quad.top),
                 std::max(quads.right, quad.right), std::max(quads.bottom, quad.bottom)};
    }
    EXPECT_GT(quads.width(), 240) << "the line spans most of its 256-pixel rectangle";
    EXPECT_NEAR(ink.left, quads.left, 2);
    EXPECT_NEAR(ink.right, quads.right, 2);
    EXPECT_NEAR(ink.top, quads.top, 2);
    EXPECT_NEAR(ink.bottom, quads.bottom, 2);

    const Box t = quadOf(text->getQuads().front());
    auto rowInk = [&](int y) {
        int count = 0;
        for (int x = t.left; x <= t.right; ++x) {
            count += picture.at(x, y)[0] > 128 ? 1 : 0;
        }
        return count;
    };
    EXPECT_GT(rowInk(t.top + 2), 2 * rowInk(t.bottom - 2)) << "the bar of the T is at the top";

    // Outlined, a rim of the outline's colour shows a few pixels out on every
    // side of the ink, and the glyphs keep their colour on top of it.
    text->outlined = true;
    text->outlineColor = glm::vec4(0.0f, 0.0f, 1.0f, 1.0f);
    const Picture outlined = capture("text_outlined");
    const Box rim = boxOf(outlined, [](const Pixel& p) { return p[2] > 128 && p[0] < 64; });
    ASSERT_FALSE(rim.empty());
    for (const auto& [outside, name] : {std::pair{ink.left - rim.left, "left"},
                                        {rim.right - ink.right, "right"},
                                        {ink.top - rim.top, "top"},
                                        {rim.bottom - ink.bottom, "bottom"}}) {
        EXPECT_GE(outside, 1) << name;
        EXPECT_LE(outside, 5) << name;
    }
    EXPECT_FALSE(boxOfColor(outlined, {255, 204, 0, 255}).empty());
}

TEST_F(UIScreenshotTest, ElementsOverTheViewByAnchorAndLayerAndNoneWhenDisabled) {
    ASSERT_NO_FATAL_FAILURE(open(320, 200));
    addView();
    const Picture bare = capture("view_without_ui");
    ASSERT_NE(bare.at(160, 100), black) << "the 3D view drew the cube";
    // The higher layer is created first: the overlap must still show it.
    Transform2D* over = addTex("over", green, 5)->getTransform();
    over->setPosition({0.75f, 0.5f});
    over->setSize({0.1f, 0.1f});
    Transform2D* box = addTex("box", red, 3)->getTransform();
    box->setPosition({0.75f, 0.5f});
    box->setSize({0.25f, 0.5f});
    Transform2D* banner = addTex("banner", blue)->getTransform();
    banner->setAnchor(Anchor::Top);
    banner->setPosition({0.25f, 0.0f});
    banner->setSize({0.25f, 0.2f});
    const Picture shown = capture("view_with_ui");

    const Box redBox = boxOfColor(shown, red);
    EXPECT_EQ(glm::ivec4(redBox.left, redBox.top, redBox.width(), redBox.height()),
              glm::ivec4(200, 50, 80, 100));
    EXPECT_EQ(shown.at(240, 100), green);
    // Anchored at its top, at y 0: it touches the window's top edge.
    const Box top = boxOfColor(shown, blue);
    EXPECT_EQ(glm::ivec4(top.left, top.top, top.width(), top.height()), glm::ivec4(40, 0, 80, 40));
    EXPECT_EQ(shown.at(160, 100), bare.at(160, 100)) << "the view around the elements is untouched";

    // Brightness is for the 3D view: the elements keep their colours.
    engine->get<Renderer>()->brightness = 1.5f;
    const Picture bright = capture("view_with_ui_bright");
    EXPECT_EQ(boxOfColor(bright, red).width(), 80);
    EXPECT_EQ(bright.at(240, 100), green);
    EXPECT_GT(bright.at(160, 100)[0] + bright.at(160, 100)[1] + bright.at(160, 100)[2],
              shown.at(160, 100)[0] + shown.at(160, 100)[1] + shown.at(160, 100)[2]);
    engine->get<Renderer>()->brightness = 1.0f;

    engine->get<UI>()->enabled = false;
    const Picture hidden = capture("view_ui_disabled");
    EXPECT_EQ(hidden.rgba, bare.rgba);
    engine->get<UI>()->enabled = true;
    EXPECT_EQ(capture("view_ui_enabled_again").rgba, shown.rgba);
}

TEST_F(UIScreenshotTest, TransitionOverlayHidesTheNewScenesFirstFrame) {
    ASSERT_NO_FATAL_FAILURE(open(320, 200));
    SceneManager* scenes = engine->get<SceneManager>();
    Scene* next = scenes->createScene("next");
    scene = next;
    addTex("panel", red, 7);
    scenes->fadeTo(next);
    engine->frame();
    ASSERT_EQ(scenes->current, next);
    EXPECT_TRUE(boxOf(capture("transition_overlay"), [](const Pixel& p) { return p != black; }).empty());
    engine->frame();
    EXPECT_EQ(capture("after_transition").at(160, 100), red);
}
