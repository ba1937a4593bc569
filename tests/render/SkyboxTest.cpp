// The skybox under Xvfb: nothing before it has a cube map, the sky only where
// nothing nearer was drawn, and a second cube map replacing the first both on
// screen and as the renderer's "skybox" for every other shader, which blurs its
// reflection through the cube's mip levels.
#include "render/GLSceneTest.h"
#include "support/TempAssets.h"

#include "core/render/Camera.h"
#include "core/render/Light.h"
#include "core/render/RenderQuality.h"
#include "core/render/Renderer.h"
#include "core/render/Skybox.h"
#include "core/render/View.h"
#include "core/resources/Material.h"
#include "core/resources/ResourceCache.h"
#include "core/resources/TextureCube.h"
#include "core/runtime/Entity.h"
#include "core/runtime/Scene.h"
#include "core/runtime/Transform.h"

#include <array>
#include <filesystem>

namespace {

constexpr int width = 160;
constexpr int height = 120;

// An assets folder of its own for the sky faces, sharing the engine's shaders.
class SkyboxTest : public GLSceneTest {
protected:
    void SetUp() override {
        std::filesystem::create_symlink(std::filesystem::path(TW_ASSETS_DIR) / "core", assets.dir + "core");
        open(width, height, assets.dir);
        if (scene == nullptr) {
            return;
        }
        camera->clearColor = glm::vec3(0.0f);
        addShape(*scene, "box", "cube", colourMaterial(*engine->systems, "box", {0.9f, 0.1f, 0.1f, 1.0f}),
                 {0, 0, -4});
    }

    // Six faces of side texels under name/, texel i of each in colourOf(i).
    template <typename ColourOf>
    std::array<std::string, 6> faces(const std::string& name, int side, ColourOf colourOf) const {
        std::array<std::string, 6> paths;
        assets.makeDir(name);
        for (size_t face = 0; face < paths.size(); ++face) {
            Picture picture{side, side, {}};
            for (int texel = 0; texel < side * side; ++texel) {
                const glm::u8vec3 colour(colourOf(texel));
                picture.rgb.insert(picture.rgb.end(), {colour.r, colour.g, colour.b});
            }
            paths[face] = name + "/" + std::to_string(face) + ".png";
            picture.save(assets.dir + paths[face]);
        }
        return paths;
    }
    TextureCube* sky(const std::string& name, const glm::u8vec3& colour, int side = 1) {
        auto* cube = cache->create<TextureCube>(name);
        EXPECT_TRUE(cube->load(faces(name, side, [&colour](int) { return colour; })));
        return cube;
    }

    // The top rows look well above the horizon, where the sky shows its own colour.
    glm::vec3 skyPixel(const Picture& picture) const { return picture.mean(4, height - 10, 8, 6); }
    glm::vec3 boxPixel(const Picture& picture) const {
        return picture.mean(width / 2 - 3, height / 2 - 3, 6, 6);
    }

    TempAssets assets;
};

TEST_F(SkyboxTest, TheSkyFillsWhatNothingNearerCoveredCastsNoShadowAndTheLastCubeMapWins) {
    Entity* entity = scene->createEntity("Skybox");
    Skybox* skybox = entity->addComponent<Skybox>();
    EXPECT_TRUE(skybox->items.empty());
    EXPECT_EQ(renderer->skyTexture, nullptr);
    EXPECT_LT(glm::length(skyPixel(draw())), 1.0f);

    skybox->setTexture(sky("orange", {220, 120, 30}));
    TextureCube* blue = sky("blue", {40, 90, 200});
    skybox->setTexture(blue);
    EXPECT_EQ(renderer->skyTexture, blue);
    ASSERT_EQ(skybox->items.size(), 1u);
    EXPECT_EQ(skybox->getMaterial()->getTexture("skyboxTex"), blue);
    // The sky is drawn around everything and must never land in a shadow map
    // (it would be a box at the origin there).
    Entity* sun = scene->createEntity("Sun");
    sun->addComponent<Transform>()->setRotation(glm::angleAxis(glm::radians(-60.0f), glm::vec3(1, 0, 0)));
    sun->addComponent<Light>()->castsShadows = true;
    const Picture with = draw();
    const View& view = *renderer->findView(camera);
    EXPECT_EQ(view.queues[2].size(), 1u);
    ASSERT_EQ(view.shadowCasters.size(), 1u);
    ASSERT_EQ(view.shadowCasters[0].items.size(), 1u) << "the box casts, the sky does not";
    EXPECT_NE(view.items[view.shadowCasters[0].items[0]].material, skybox->getMaterial());
    EXPECT_NEAR(skyPixel(with).r, 40.0f, 4.0f);
    EXPECT_NEAR(skyPixel(with).g, 90.0f, 4.0f);
    EXPECT_NEAR(skyPixel(with).b, 200.0f, 4.0f);
    EXPECT_GT(boxPixel(with).r, 2.0f * boxPixel(with).b);

    // The box in front is untouched by the sky drawn after it: it looks the same
    // with the sky's cube not drawn (the box still reflecting the sky texture).
    skybox->setEnabled(false);
    const Picture hidden = draw();
    EXPECT_EQ(renderer->skyTexture, blue);
    EXPECT_LT(glm::length(skyPixel(hidden)), 1.0f);
    EXPECT_LT(glm::length(boxPixel(with) - boxPixel(hidden)), 1.0f);

    // With its scene's sky gone, no shader keeps reflecting it.
    scene->destroyEntity(entity);
    engine->frame();
    EXPECT_EQ(renderer->skyTexture, nullptr);
}

// Half rough, a mirror reflects the sky blurred through the cube's mip chain:
// a sky of one-texel checks shows as their even mean, not as the checks.
TEST_F(SkyboxTest, AHalfRoughMirrorReflectsTheSkyBlurredThroughItsMipLevels) {
    auto* checks = cache->create<TextureCube>("checks");
    ASSERT_TRUE(checks->load(faces("checks", 64, [](int texel) {
        return glm::u8vec3(static_cast<uint8_t>((texel % 64 + texel / 64) % 2 != 0 ? 255 : 0));
    })));
    scene->createEntity("Skybox")->addComponent<Skybox>()->setTexture(checks);
    Material* mirror = colourMaterial(*engine->systems, "mirror", {1.0f, 1.0f, 1.0f, 1.0f});
    mirror->setUniform("metallic", 1.0f);
    mirror->setUniform("roughness", 0.5f);
    addShape(*scene, "mirror", "cube", mirror, {0, 0, -2.5f});

    const Picture picture = draw();
    glm::vec3 low(255.0f);
    glm::vec3 high(0.0f);
    for (int y = height / 2 - 6; y < height / 2 + 6; ++y) {
        for (int x = width / 2 - 6; x < width / 2 + 6; ++x) {
            low = glm::min(low, picture.at(x, y));
            high = glm::max(high, picture.at(x, y));
        }
    }
    // The reflection is there, and even: level 0's checks would spread it over
    // most of the range.
    EXPECT_GT(low.g, 20.0f);
    EXPECT_LT(high.g - low.g, 12.0f);
}

// Views drawn at half size sample the sky a level below its faces anyway: such a
// preset reads it from there, and a switch to one drawing more reads it whole again.
TEST_F(SkyboxTest, HalfSizeViewsReadTheSkyFromTheLevelBelowItsFaces) {
    TextureCube* blue = sky("blue", {40, 90, 200});
    TextureCube* cube = sky("large", {40, 90, 200}, 64);
    scene->createEntity("Skybox")->addComponent<Skybox>()->setTexture(cube);
    EXPECT_EQ(cube->getSide(), 64);

    renderer->setQuality(RenderQuality::Low);
    EXPECT_EQ(cube->getSide(), 32);
    EXPECT_EQ(cube->getLevels(), 6);
    EXPECT_EQ(blue->getSide(), 1) << "a face without levels below stays whole";
    EXPECT_NEAR(skyPixel(draw()).b, 200.0f, 4.0f);
    TextureCube* later = sky("later", {40, 90, 200}, 16);
    EXPECT_EQ(later->getSide(), 8);

    renderer->setQuality(RenderQuality::Medium);
    EXPECT_EQ(cube->getSide(), 64);
    EXPECT_EQ(later->getSide(), 16);
    EXPECT_NEAR(skyPixel(draw()).b, 200.0f, 4.0f);
}

} // namespace
