// The renderer's frame under Xvfb: views following cameras, culling, program
// variants and their defines, queue and depth-list order, shadow casters,
// statistics, wireframe, and the cases that must draw nothing without failing.
#include "render/GLSceneTest.h"

#include "core/render/Camera.h"
#include "core/render/Graphics.h"
#include "core/render/Light.h"
#include "core/render/MeshRenderer.h"
#include "core/render/ParticleSystem.h"
#include "core/render/RenderTarget.h"
#include "core/render/Renderer.h"
#include "core/render/SceneTarget.h"
#include "core/render/View.h"
#include "core/resources/Bounds.h"
#include "core/resources/Material.h"
#include "core/resources/Mesh.h"
#include "core/resources/ResourceCache.h"
#include "core/resources/Shader.h"
#include "core/resources/ShaderProgram.h"
#include "core/resources/Texture2D.h"
#include "core/runtime/Entity.h"
#include "core/runtime/Scene.h"
#include "core/runtime/Transform.h"
#include "support/LogCapture.h"

#include <glm/gtc/matrix_transform.hpp>

#include <algorithm>

namespace {

class RendererTest : public GLSceneTest {
protected:
    void SetUp() override {
        open(320, 200);
        if (scene == nullptr) {
            return;
        }
        red = colourMaterial(*engine->systems, "red", {1, 0, 0, 1});
        blue = colourMaterial(*engine->systems, "blue", {0, 0, 1, 1});
        // Smaller maps keep the software rasteriser quick; the size is not under test.
        renderer->shadowMapSize = 256;
    }

    MeshRenderer* cube(const glm::vec3& position, Material* material) {
        return addShape(*scene, "cube", "cube", material, position);
    }

    Light* light(int32_t type, bool castsShadows) {
        Entity* entity = scene->createEntity("light");
        entity->addComponent<Transform>()->setRotation(glm::angleAxis(-1.0f, glm::vec3(1, 0, 0)));
        auto* result = entity->addComponent<Light>();
        result->type = type;
        result->castsShadows = castsShadows;
        return result;
    }

    View& prepareOnly() {
        renderer->syncViews(*scene);
        View* view = renderer->findView(camera);
        renderer->prepare(*view, *scene, 0.016f);
        return *view;
    }

    std::vector<float> distances(const View& view, const std::vector<uint32_t>& list) const {
        std::vector<float> result;
        for (uint32_t index : list) {
            result.push_back(-view.item(index).position.z);
        }
        return result;
    }

    Material* red = nullptr;
    Material* blue = nullptr;
};

TEST_F(RendererTest, ViewsFollowTheEnabledCamerasOfTheScene) {
    Camera* second = addCamera(*scene, "second", {0, 0, 0}, {0, 0, -1});
    engine->frame();
    ASSERT_EQ(renderer->getViews().size(), 2u);
    EXPECT_EQ(renderer->getViews()[0]->camera, camera);

    camera->setEnabled(false);
    engine->frame();
    ASSERT_EQ(renderer->getViews().size(), 1u);
    EXPECT_EQ(renderer->getViews()[0]->camera, second);

    // A camera enabled again gets a new view at the end of the list.
    camera->setEnabled(true);
    engine->frame();
    ASSERT_EQ(renderer->getViews().size(), 2u);
    EXPECT_EQ(renderer->getViews()[1]->camera, camera);

    scene->destroyEntity(second->entity);
    engine->frame();
    ASSERT_EQ(renderer->getViews().size(), 1u);
    EXPECT_EQ(renderer->getViews()[0]->camera, camera);
    EXPECT_NE(renderer->getViewDepthTarget(), nullptr);
}

TEST_F(RendererTest, ItemsGetTheVariantForTheirLightsShadowsAndLightmapWithTheMaterialsDefinesLast) {
    red->addDefine("EXTRA 2");
    MeshRenderer* lit = cube({0, 0, -5}, red);
    lit->setLightmap(cache->get<Texture2D>("white"));
    light(Light::directional, true);
    Light* point = light(Light::point, true); // lit, but only directional lights get shadow maps
    light(Light::directional, false);

    View& view = prepareOnly();
    ASSERT_EQ(view.shadowCasters.size(), 1u);
    ASSERT_EQ(view.queues[0].size(), 1u);
    const ShaderProgram* program = view.item(view.queues[0][0]).program;
    ASSERT_NE(program, nullptr);
    EXPECT_EQ(program->defines, "#define SHADOW\n#define NUM_SHADOWMAPS 1\n#define NUM_LIGHTS 3\n#define "
                                "LIGHTMAP\n#define EXTRA 2\n");
    EXPECT_TRUE(program->isLinked());
    // Without the point light every light is directional: a variant of its own
    // leaves the point and spot terms out.
    point->setEnabled(false);
    prepareOnly();
    const ShaderProgram* sunsOnly = view.item(view.queues[0][0]).program;
    EXPECT_EQ(sunsOnly->defines, "#define SHADOW\n#define NUM_SHADOWMAPS 1\n#define NUM_LIGHTS 2\n#define "
                                 "ONLY_DIRECTIONAL_LIGHTS\n#define LIGHTMAP\n#define EXTRA 2\n");
    EXPECT_TRUE(sunsOnly->isLinked());

    using Defines = std::vector<std::string>;
    EXPECT_EQ(renderer->buildDefines(*red, false, 0, 0, true),
              (Defines{"SHADOW", "NUM_SHADOWMAPS 0", "NUM_LIGHTS 0", "EXTRA 2"}));
    renderer->lightmapsEnabled = false;
    renderer->shadowsEnabled = false;
    EXPECT_EQ(renderer->buildDefines(*red, true, 1, 1, false), (Defines{"NUM_LIGHTS 1", "EXTRA 2"}));
    renderer->shadowsEnabled = true;
    red->setReceivesShadows(false);
    EXPECT_EQ(renderer->buildDefines(*red, false, 1, 1, false), (Defines{"NUM_LIGHTS 1", "EXTRA 2"}));
}

TEST_F(RendererTest, QueuesAreSortedByKeyAndByDistance) {
    Material* glass = glassMaterial(*engine->systems, "glass", {1, 1, 0, 0.5f});
    Material* overlay = colourMaterial(*engine->systems, "overlay", {0, 1, 0, 1});
    overlay->setRenderQueue(1);
    for (float z : {-4.0f, -9.0f, -6.0f}) {
        addShape(*scene, "glass", "sphere", glass, {0, 0, z});
    }
    for (float z : {-8.0f, -2.0f, -5.0f}) {
        cube({0, 0, z}, z < -4.0f ? red : blue);
        addShape(*scene, "ball", "sphere", red, {1, 0, z});
    }
    addShape(*scene, "overlay", "cube", overlay, {0, 0, -3});
    addShape(*scene, "overlay", "cube", overlay, {0, 0, -7});

    View& view = prepareOnly();
    EXPECT_EQ(distances(view, view.queues[3]), (std::vector<float>{9, 6, 4})) << "blended: far to near";
    EXPECT_EQ(distances(view, view.queues[1]), (std::vector<float>{3, 7})) << "other queues: as found";
    ASSERT_EQ(view.depthList.size(), 6u) << "opaque items only";
    for (size_t i = 1; i < view.depthList.size(); ++i) {
        EXPECT_LE(glm::length(view.item(view.depthList[i - 1]).position),
                  glm::length(view.item(view.depthList[i]).position))
            << "depth list: near to far";
    }
    ASSERT_EQ(view.queues[0].size(), 6u);
    for (size_t i = 1; i < view.queues[0].size(); ++i) {
        EXPECT_LE(view.item(view.queues[0][i - 1]).key, view.item(view.queues[0][i]).key);
    }
    // Sorting by key groups each material-and-mesh pair into one run.
    int runs = 1;
    for (size_t i = 1; i < view.queues[0].size(); ++i) {
        const RenderItem& a = view.item(view.queues[0][i - 1]);
        const RenderItem& b = view.item(view.queues[0][i]);
        runs += (a.material != b.material || a.indexBuffer != b.indexBuffer) ? 1 : 0;
    }
    EXPECT_EQ(runs, 3);
}

TEST_F(RendererTest, UnderlaysAreDrawnAfterWhatLiesOnThem) {
    Material* ground = colourMaterial(*engine->systems, "ground", {0, 0.5f, 0, 1});
    ground->setUnderlay(true);
    addShape(*scene, "ground", "cube", ground, {0, 0, -2});
    cube({0, 0, -6}, red);
    cube({0, 0, -4}, blue);
    for (RenderQuality quality : {RenderQuality::Medium, RenderQuality::High}) {
        renderer->setQuality(quality);
        View& view = prepareOnly();
        // The pre-pass's list at high; without one, the opaque queue near first.
        const std::vector<uint32_t>& order = quality == RenderQuality::High ? view.depthList : view.queues[0];
        EXPECT_EQ(distances(view, order), (std::vector<float>{4, 6, 2})) << renderQualityName(quality);
    }
}

TEST_F(RendererTest, ShadowMapsAreFittedToEachViewsFrustum) {
    Camera* second = addCamera(*scene, "second", {10, 5, 10}, {0, 0, 0});
    cube({0, 0, -5}, red);
    Light* sun = light(Light::directional, true);
    sun->shadowDistance = 15.0f;
    engine->frame();
    ASSERT_EQ(renderer->getViews().size(), 2u);
    const View& first = *renderer->getViews()[0];
    const View& other = *renderer->getViews()[1];
    ASSERT_EQ(first.shadowCasters.size(), 1u);
    ASSERT_EQ(other.shadowCasters.size(), 1u);
    ASSERT_EQ(first.shadowCasters[0].items.size(), 1u);

    // Only the part of the map the cube reaches is stored, cleared and read,
    // on the whole map's texel grid, with room around it for the filter.
    const ShadowCaster& caster = first.shadowCasters[0];
    ASSERT_EQ(caster.windowCount, 1);
    const ShadowCaster::Window& window = caster.windows[0];
    EXPECT_EQ(caster.mapSize, renderer->shadowMapSize);
    const RenderItem& cubeItem = first.item(caster.items[0]);
    const auto size = static_cast<float>(renderer->shadowMapSize);
    const glm::vec4 area = window.lookupArea * size;
    const glm::vec4 cleared(window.rect.x, window.rect.y, window.rect.x + window.rect.z,
                            window.rect.y + window.rect.w);
    const Bounds onMap =
        Bounds{cubeItem.boundsMin, cubeItem.boundsMax}.transformed(caster.lightViewProjection);
    const glm::vec2 low = (glm::vec2(onMap.min) * 0.5f + 0.5f) * size;
    const glm::vec2 high = (glm::vec2(onMap.max) * 0.5f + 0.5f) * size;
    EXPECT_GE(glm::min(low.x - area.x, low.y - area.y), 3.0f);
    EXPECT_GE(glm::min(area.z - high.x, area.w - high.y), 3.0f);
    EXPECT_GE(glm::min(area.x - cleared.x, area.y - cleared.y), 3.0f);
    EXPECT_GE(glm::min(cleared.z - area.z, cleared.w - area.w), 3.0f);
    EXPECT_LE(glm::max(window.stored.x + window.rect.z, window.stored.y + window.rect.w),
              renderer->shadowMapSize / 2);

    // The part of each frustum nearer than the shadow distance fills the light's box.
    for (Camera* cam : {camera, second}) {
        const View& view = *renderer->findView(cam);
        const glm::mat4 matrix = view.shadowCasters[0].lightViewProjection;
        const glm::mat4 inverseView = glm::inverse(cam->getView());
        const float tanHalf = std::tan(glm::radians(cam->fov) * 0.5f);
        glm::vec3 low(1e9f);
        glm::vec3 high(-1e9f);
        for (float depth : {cam->near, sun->shadowDistance}) {
            for (float sx : {-1.0f, 1.0f}) {
                for (float sy : {-1.0f, 1.0f}) {
                    const glm::vec3 local(sx * tanHalf * depth * cam->getAspect(), sy * tanHalf * depth,
                                          -depth);
                    const glm::vec4 clip = matrix * inverseView * glm::vec4(local, 1.0f);
                    low = glm::min(low, glm::vec3(clip));
                    high = glm::max(high, glm::vec3(clip));
                }
            }
        }
        for (int axis = 0; axis < 3; ++axis) {
            EXPECT_NEAR(low[axis], -1.0f, 1e-3f);
            EXPECT_NEAR(high[axis], 1.0f, 1e-3f);
        }
    }
}

TEST_F(RendererTest, CastersFarApartAreStoredApartAndTooBigForTheStoreLoseDetail) {
    cube({-5, 0, -8}, red);
    cube({5, 0, -8}, blue);
    light(Light::directional, true)->shadowDistance = 15.0f;
    engine->frame();
    const ShadowCaster& apart = renderer->findView(camera)->shadowCasters[0];
    ASSERT_EQ(apart.windowCount, 2);
    EXPECT_EQ(apart.mapSize, renderer->shadowMapSize);
    EXPECT_EQ(apart.windows[0].itemCount, 1u);
    EXPECT_EQ(apart.windows[1].itemCount, 1u);
    const int32_t stored = renderer->shadowMapSize / 2;
    const auto storedRect = [](const ShadowCaster::Window& w) {
        return glm::ivec4(w.stored, w.stored + glm::ivec2(w.rect.z, w.rect.w));
    };
    const glm::ivec4 a = storedRect(apart.windows[0]);
    const glm::ivec4 b = storedRect(apart.windows[1]);
    EXPECT_TRUE(a.z <= b.x || b.z <= a.x || a.w <= b.y || b.w <= a.y) << "stored windows overlap";
    for (const glm::ivec4& rect : {a, b}) {
        EXPECT_GE(glm::min(rect.x, rect.y), 0);
        EXPECT_LE(glm::max(rect.z, rect.w), stored);
    }

    // A long wall behind them is too wide for the store at full detail: the
    // map goes down a level, and a window draws every caster its part reaches.
    addShape(*scene, "wall", "cube", red, {0, 0, -11}, glm::vec3(40.0f, 1.0f, 1.0f));
    engine->frame();
    const ShadowCaster& wide = renderer->findView(camera)->shadowCasters[0];
    ASSERT_GE(wide.windowCount, 1);
    EXPECT_LE(wide.mapSize, stored);
    uint32_t drawn = 0;
    for (int w = 0; w < wide.windowCount; ++w) {
        const ShadowCaster::Window& window = wide.windows[static_cast<size_t>(w)];
        EXPECT_LE(glm::max(window.stored.x + window.rect.z, window.stored.y + window.rect.w), stored);
        drawn += window.itemCount;
    }
    EXPECT_GE(drawn, 3u);
}

TEST_F(RendererTest, StatisticsCountEveryPassesDrawsAndTrianglesButNotCulledItems) {
    cube({-1, 0, -5}, red);
    cube({1, 0, -5}, blue);
    cube({0, 0, 5}, red); // behind the camera
    addShape(*scene, "glass", "sphere", glassMaterial(*engine->systems, "glass", {1, 1, 0, 0.5f}),
             {0, 0, -3});
    light(Light::directional, true);
    const uint32_t cubeTriangles = 12;
    const auto sphereTriangles = static_cast<uint32_t>(cache->get<Mesh>("sphere")->indices.size() / 3);

    engine->frame();
    EXPECT_EQ(renderer->findView(camera)->culled, 1u);
    // Main pass 3 draws, depth pre-pass the 2 opaque cubes, shadow map the 2 casters.
    EXPECT_EQ(graphics->drawCalls, 7u);
    EXPECT_EQ(graphics->triangles, 3 * 2 * cubeTriangles + sphereTriangles);
    engine->frame();
    EXPECT_EQ(graphics->drawCalls, 7u) << "counters start again every frame";
    renderer->cullingEnabled = false;
    engine->frame();
    EXPECT_EQ(renderer->findView(camera)->culled, 0u);
    EXPECT_EQ(renderer->findView(camera)->queues[0].size(), 3u) << "the cube behind is drawn too";
}

// Split screen with every kind of item at every preset: no GL errors, and an
// emitter both views see still moves on once per frame.
TEST_F(RendererTest, EveryPassRunsWithoutGLErrorsAndEmittersStepOncePerFrame) {
    addCamera(*scene, "second", {3, 2, 3}, {0, 0, -5})->setViewport(0.0f, 0.0f, 0.5f, 0.5f);
    cube({0, 0, -5}, red)->setLightmap(cache->get<Texture2D>("white"));
    Material* glass = glassMaterial(*engine->systems, "glass", {1, 1, 0, 0.5f}, BlendMode::Additive);
    glass->setDepthWrite(true);
    addShape(*scene, "glass", "sphere", glass, {0, 0, -3});
    light(Light::directional, true);
    light(Light::directional, true);
    light(Light::point, false);
    Entity* sparks = scene->createEntity("sparks");
    sparks->addComponent<Transform>()->setPosition({0, 0, -5});
    auto* particles = sparks->addComponent<ParticleSystem>();
    particles->init(cache->get<Texture2D>("white"), true, true);
    particles->rate = 2000.0f; // keeps the slots full, so slot 0 is taken over too
    particles->duration = 1000.0f;
    while (glGetError() != GL_NO_ERROR) {
    }
    for (RenderQuality quality : {RenderQuality::Low, RenderQuality::Medium, RenderQuality::High}) {
        renderer->setQuality(quality);
        engine->frame();
        const float emitterTime = particles->emitterTime;
        for (int i = 0; i < 10; ++i) {
            engine->frame();
        }
        EXPECT_NEAR(particles->emitterTime - emitterTime, 0.16f, 1e-3f) << renderQualityName(quality);
        EXPECT_GT(particles->liveCount, 0);
    }
    renderer->wireframe = true;
    engine->frame();
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    EXPECT_EQ(renderer->getViews()[1]->shadowCasters.size(), 2u);
}

TEST_F(RendererTest, SameMaterialAndMeshSetUpAttributesOnce) {
    cube({0, 0, -5}, red);
    engine->frame();
    engine->frame();
    const uint32_t before = graphics->attributePointerCalls;
    engine->frame();
    const uint32_t one = graphics->attributePointerCalls - before;
    for (int i = 0; i < 9; ++i) {
        cube({static_cast<float>(i) - 4.0f, 1.0f, -6.0f}, red);
    }
    engine->frame();
    const uint32_t start = graphics->attributePointerCalls;
    engine->frame();
    EXPECT_EQ(graphics->attributePointerCalls - start, one);
}

TEST_F(RendererTest, WireframeDrawsLinesAndGivesBackTheMaterialsMode) {
    cube({0, 0, -3}, red);
    Material* lines = colourMaterial(*engine->systems, "lines", {0, 1, 0, 1});
    lines->setPolygonMode(PolygonMode::Line);
    auto polygonMode = [] {
        GLint mode[2] = {0, 0};
        glGetIntegerv(GL_POLYGON_MODE, mode);
        return mode[0];
    };
    renderer->wireframe = true;
    engine->frame();
    EXPECT_EQ(polygonMode(), GL_LINE);

    renderer->wireframe = false;
    engine->frame();
    EXPECT_EQ(polygonMode(), GL_FILL);

    // A material that asks for lines keeps them once wireframe is off again.
    scene->findEntity("cube")->getComponent<MeshRenderer>()->setMaterial(lines);
    renderer->wireframe = true;
    engine->frame();
    renderer->wireframe = false;
    engine->frame();
    EXPECT_EQ(polygonMode(), GL_LINE);
}

TEST_F(RendererTest, MaterialWithoutShaderIsSkippedWithOneLogLine) {
    Material* broken = cache->create<Material>("no shader");
    cube({0, 0, -5}, broken);
    cube({1, 0, -5}, red);
    LogCapture log;
    engine->frame();
    engine->frame();
    engine->frame();
    EXPECT_EQ(log.count("Material 'no shader' has no shader and is not drawn."), 1);
    EXPECT_EQ(graphics->drawCalls, 2u) << "the red cube: main pass and depth pre-pass";
}

// A surface shader that does not build must not leave its objects invisible.
TEST_F(RendererTest, AShaderThatFailsToBuildDrawsWithThePlainLitShaderInItsAlbedo) {
    Shader* broken = cache->create<Shader>("broken");
    broken->setSources(
        "#version 430 core\nin vec3 position;\nvoid main() { gl_Position = vec4(position, 1.0); }\n",
        "#version 430 core\nthis is not GLSL\n");
    Material* material = cache->create<Material>("broken");
    material->setShader(broken);
    material->setUniform("albedo", glm::vec4(0.0f, 1.0f, 0.0f, 1.0f));
    cube({0, 0, -4}, material);
    LogCapture log;
    draw();
    const Picture picture = draw();
    EXPECT_EQ(log.count("Material 'broken' is drawn with the plain lit shader"), 1);
    const glm::vec3 centre = picture.mean(158, 98, 4, 4);
    EXPECT_GT(centre.g, 60.0f);
    EXPECT_LT(centre.r, 0.5f * centre.g);
}

TEST_F(RendererTest, MaterialCountMismatchIsLoggedAndMadeUpFor) {
    Mesh* mesh = cache->create<Mesh>("three parts");
    const Mesh& source = *cache->get<Mesh>("cube");
    mesh->positions = source.positions;
    mesh->normals = source.normals;
    mesh->indices = source.indices;
    mesh->parts = {{0, 12}, {12, 12}, {24, 12}};
    mesh->finalize();
    Entity* entity = scene->createEntity("parts");
    auto* transform = entity->addComponent<Transform>();
    transform->setPosition({0, 0, -5});
    auto* meshRenderer = entity->addComponent<MeshRenderer>(mesh, std::vector<Material*>{red, blue});

    LogCapture log;
    const std::string line = "Mesh 'three parts' has 3 parts, but only 2 materials were found.";
    engine->frame();
    engine->frame();
    EXPECT_EQ(log.count(line), 1) << "once per rebuild, not per frame";
    ASSERT_EQ(meshRenderer->items.size(), 3u);
    EXPECT_EQ(meshRenderer->items[2].material, blue);
    EXPECT_EQ(meshRenderer->items[2].first, 24u);

    transform->setPosition({0, 1, -5});
    engine->frame();
    EXPECT_EQ(log.count(line), 2) << "moving rebuilds the items";
    EXPECT_FLOAT_EQ(meshRenderer->items[0].world[3].y, 1.0f);

    meshRenderer->setMaterials({});
    engine->frame();
    EXPECT_TRUE(log.contains("Mesh 'three parts' has 3 parts, but only 0 materials were found."));
    EXPECT_TRUE(meshRenderer->items.empty());
    EXPECT_EQ(graphics->drawCalls, 0u);
}

TEST_F(RendererTest, DrawableWithoutTransformGetsOne) {
    Entity* bare = scene->createEntity("bare");
    bare->addComponent<MeshRenderer>(cache->get<Mesh>("cube"), std::vector<Material*>{red});
    LogCapture log;
    engine->frame();
    EXPECT_TRUE(log.contains("Drawable: No transform found on entity 'bare', creating one."));
    EXPECT_NE(bare->getComponent<Transform>(), nullptr);
}

TEST_F(RendererTest, PresetsDropWhatCostsMostAndHighKeepsTodaysVariants) {
    red->addDefine("NORMAL");
    Material* fineGrain = colourMaterial(*engine->systems, "fine grain", {0, 1, 0, 1});
    fineGrain->addDefine("NORMAL");
    fineGrain->setFineRelief(true);
    cube({0, 0, -5}, red);
    light(Light::directional, true);
    struct Expected {
        RenderQuality quality;
        const char* defines;
        size_t shadowMaps;
        bool prePass;
        bool viewDepth;
        float particles;
        float renderScale;
        bool nearestMips;
    };
    const Expected presets[] = {
        {RenderQuality::High,
         "SHADOW,NUM_SHADOWMAPS 1,NUM_LIGHTS 1,ONLY_DIRECTIONAL_LIGHTS,NORMAL,VERTEX_SKY,SKY_FIRST_LEVEL", 1,
         true, true, 1.0f, 1.0f, false},
        {RenderQuality::Medium,
         "SHADOW,NUM_SHADOWMAPS 1,NUM_LIGHTS 1,ONLY_DIRECTIONAL_LIGHTS,NORMAL,FAST_SHADOWS,SIMPLE_WATER,"
         "SIMPLE_LIGHTING,VERTEX_SKY",
         1, false, true, 0.75f, 0.625f, true},
        {RenderQuality::Low,
         "NUM_LIGHTS 1,ONLY_DIRECTIONAL_LIGHTS,NO_SKY_REFLECTION,NO_DEPTH_READS,SIMPLE_WATER,SIMPLE_LIGHTING,"
         "VERTEX_WAVES,SKY_FIRST_LEVEL",
         0, false, false, 0.5f, 0.5f, true},
    };
    for (const Expected& preset : presets) {
        renderer->setQuality(preset.quality);
        View& view = prepareOnly();
        const char* name = renderQualityName(preset.quality);
        std::string defines;
        for (const std::string& define : renderer->buildDefines(*red, false, view.shadowCasters.size(), 1,
                                                                view.onlyDirectionalLights())) {
            defines += (defines.empty() ? "" : ",") + define;
        }
        EXPECT_EQ(defines, preset.defines) << name;
        const std::vector<std::string> fineDefines = renderer->buildDefines(
            *fineGrain, false, view.shadowCasters.size(), 1, view.onlyDirectionalLights());
        EXPECT_EQ(std::count(fineDefines.begin(), fineDefines.end(), "NORMAL"),
                  preset.quality == RenderQuality::High ? 1 : 0)
            << name << ": a fine relief's normal map is drawn at high only";
        EXPECT_EQ(view.shadowCasters.size(), preset.shadowMaps) << name;
        EXPECT_EQ(view.depthList.size(), preset.prePass ? 1u : 0u) << name;
        renderer->fitViewDepth();
        EXPECT_EQ(renderer->getViewDepthTarget() != nullptr, preset.viewDepth) << name;
        EXPECT_EQ(renderer->getParticleDensity(), preset.particles) << name;
        EXPECT_EQ(renderer->getRenderScale(), preset.renderScale) << name;
        EXPECT_EQ(renderer->getNearestMipLevels(), preset.nearestMips) << name;
        ASSERT_EQ(view.queues[0].size(), 1u);
        EXPECT_TRUE(view.item(view.queues[0][0]).program->isLinked()) << name;
        while (glGetError() != GL_NO_ERROR) {
        }
        engine->frame();
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR)) << name;
        // The main pass's sampler stays in the main pass: the UI after it
        // samples its glyphs clamped, as their textures say.
        for (GLuint unit = 0; unit <= static_cast<GLuint>(Renderer::skyboxTextureUnit); ++unit) {
            glActiveTexture(GL_TEXTURE0 + unit);
            GLint sampler = -1;
            glGetIntegerv(GL_SAMPLER_BINDING, &sampler);
            EXPECT_EQ(sampler, 0) << name << " unit " << unit;
        }
        glActiveTexture(GL_TEXTURE0);
    }
}

TEST_F(RendererTest, BelowRenderScaleOneTheViewsAreDrawnSmallerAndFillTheWindowAgain) {
    // Rectangles that tile the window tile the smaller picture: no seam, no overlap.
    const glm::ivec4 left = SceneTarget::scaleRect({0, 0, 161, 200}, 0.5f);
    const glm::ivec4 right = SceneTarget::scaleRect({161, 0, 159, 200}, 0.5f);
    EXPECT_EQ(left.x + left.z, right.x);
    EXPECT_EQ(right.x + right.z, 160);
    EXPECT_EQ(SceneTarget::scaleRect({0, 0, 320, 200}, 0.75f), glm::ivec4(0, 0, 240, 150));

    // Two views side by side, each with a cube in front of a clear colour of its own.
    camera->setViewport(0.0f, 0.0f, 0.5f, 1.0f);
    camera->clearColor = {0.0f, 1.0f, 0.0f};
    Camera* second = addCamera(*scene, "second", {0, 0, 0}, {0, 0, -5});
    second->setViewport(0.5f, 0.0f, 0.5f, 1.0f);
    second->clearColor = {0.0f, 0.0f, 1.0f};
    cube({0, 0, -4}, red);
    const Picture full = draw();
    renderer->renderScaleOverride = 0.5f;
    renderer->setQuality(RenderQuality::High);
    const Picture half = draw();
    EXPECT_EQ(renderer->getSceneScale(), 0.5f);
    EXPECT_EQ(renderer->findView(second)->viewport, glm::ivec4(80, 0, 80, 100));
    ASSERT_EQ(half.width, 320);
    // The same picture, softer: only the cubes' edges differ.
    EXPECT_LT(differingShare(full, half, 64), 0.05);
    EXPECT_NEAR(half.at(10, 190).g, 255.0f, 2.0f);
    EXPECT_NEAR(half.at(310, 190).b, 255.0f, 2.0f);
    for (const int x : {80, 240}) {
        const glm::vec3 cubeColour = half.at(x, 100);
        EXPECT_GT(cubeColour.r, cubeColour.g + 40.0f) << "the cube of the view at " << x;
        EXPECT_GT(cubeColour.r, cubeColour.b + 40.0f) << "the cube of the view at " << x;
    }
    // Views over the middle of the window only: their picture lands there, edge to edge.
    camera->setViewport(0.25f, 0.25f, 0.25f, 0.5f);
    second->setViewport(0.5f, 0.25f, 0.25f, 0.5f);
    const Picture middle = draw();
    EXPECT_NEAR(middle.at(81, 100).g, 255.0f, 2.0f);
    EXPECT_NEAR(middle.at(238, 100).b, 255.0f, 2.0f);
    EXPECT_NEAR(middle.at(120, 52).g, 255.0f, 2.0f);
    EXPECT_NEAR(middle.at(200, 147).b, 255.0f, 2.0f);
    for (const int x : {120, 200}) {
        const glm::vec3 cubeColour = middle.at(x, 100);
        EXPECT_GT(cubeColour.r, cubeColour.g + 40.0f) << "the cube of the view at " << x;
    }
    camera->setViewport(0.0f, 0.0f, 0.5f, 1.0f);
    second->setViewport(0.5f, 0.0f, 0.5f, 1.0f);

    // Back at full size the offscreen picture goes and high is today's picture again.
    renderer->renderScaleOverride = 0.0f;
    renderer->setQuality(RenderQuality::High);
    EXPECT_EQ(differingShare(full, draw(), 0), 0.0);
    EXPECT_EQ(renderer->getSceneScale(), 1.0f);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

class WindowWithoutDepthTest : public GLSceneTest {
protected:
    void SetUp() override {
        windowDepth = false;
        open(320, 200);
    }
};

TEST_F(WindowWithoutDepthTest, AtFullSizeTheViewsDrawOffscreenAndHideWhatIsBehind) {
    ASSERT_FALSE(graphics->hasWindowDepth());
    addShape(*scene, "near", "cube", colourMaterial(*engine->systems, "red", {1, 0, 0, 1}), {0, 0, -4});
    addShape(*scene, "far", "cube", colourMaterial(*engine->systems, "blue", {0, 0, 1, 1}), {0.4f, 0, -7});
    renderer->setQuality(RenderQuality::High);
    const Picture picture = draw();
    EXPECT_EQ(renderer->getSceneScale(), 1.0f);
    EXPECT_EQ(renderer->findView(camera)->viewport, glm::ivec4(0, 0, 320, 200));
    const glm::vec3 middle = picture.at(160, 100);
    EXPECT_GT(middle.r, middle.b + 40.0f) << "the near cube in front of the far one";
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(RendererTest, TheQualitySettingPicksLowForSoftwareRenderersAndLogsItsChoiceOnce) {
    RenderQuality quality = RenderQuality::Medium;
    EXPECT_TRUE(resolveRenderQuality("auto", "llvmpipe (LLVM 15.0.6, 256 bits)", quality));
    EXPECT_EQ(quality, RenderQuality::Low);
    EXPECT_TRUE(resolveRenderQuality("", "Mesa X11 swrast", quality));
    EXPECT_EQ(quality, RenderQuality::Low);
    EXPECT_TRUE(resolveRenderQuality("AUTO", "NVIDIA GeForce RTX 3060/PCIe/SSE2", quality));
    EXPECT_EQ(quality, RenderQuality::High);
    EXPECT_TRUE(resolveRenderQuality("Medium", "softpipe", quality));
    EXPECT_EQ(quality, RenderQuality::Medium);
    EXPECT_FALSE(resolveRenderQuality("ultra", "softpipe", quality));

    // This machine's renderer decides what auto and a broken value mean.
    const RenderQuality automatic =
        isSoftwareRenderer(graphics->rendererName()) ? RenderQuality::Low : RenderQuality::High;
    LogCapture log;
    renderer->applyQualitySetting("ultra");
    EXPECT_EQ(log.count("Unknown graphics quality 'ultra' (auto, low, medium or high): using auto."), 1);
    EXPECT_EQ(renderer->getQuality(), automatic);
    log.clear();
    renderer->applyQualitySetting("medium");
    EXPECT_EQ(log.count("Graphics quality medium (renderer '" + graphics->rendererName() + "')"), 1);
    EXPECT_EQ(renderer->getQuality(), RenderQuality::Medium);
}

} // namespace

TEST_F(RendererTest, ThePrePassLeavesEachViewsDepthInOneTextureAsLargeAsTheLargestView) {
    // A second, smaller view drawn after the first: it copies its depth over
    // the first's, into the corner of the texture its viewport covers. It looks
    // down past the cube, which shows in its upper half.
    addCamera(*scene, "second", {0, 0, 0}, {0, -2, -5})->setViewport(0.0f, 0.0f, 0.5f, 0.5f);
    cube({0, 0, -5}, red);
    ASSERT_TRUE(renderer->depthPrePassEnabled);
    engine->frame();
    ASSERT_EQ(renderer->getViews().size(), 2u);
    const View& first = *renderer->getViews()[0];
    const View& second = *renderer->getViews()[1];
    ASSERT_TRUE(first.depthReady && second.depthReady);
    const RenderTarget* target = renderer->getViewDepthTarget();
    ASSERT_NE(target, nullptr);
    EXPECT_EQ(glm::ivec2(target->width, target->height), glm::ivec2(first.viewport.z, first.viewport.w));
    const int width = target->width;
    std::vector<float> texels(static_cast<size_t>(width) * static_cast<size_t>(target->height), -1.0f);
    glGetTextureImage(target->depthTexture->getTexture(), 0, GL_DEPTH_COMPONENT, GL_FLOAT,
                      static_cast<GLsizei>(texels.size() * sizeof(float)), texels.data());
    // As the water and the particles read it: y counts the view's rows from its bottom.
    const int rows = second.viewport.w;
    const auto at = [&](int x, int y) {
        const int row = renderer->getViewDepthTopDown() ? rows - 1 - y : y;
        return texels[static_cast<size_t>(row * width + x)];
    };
    int lowest = rows;
    int highest = -1;
    for (int y = 0; y < rows; ++y) {
        if (at(second.viewport.z / 2, y) < 1.0f) {
            EXPECT_GT(at(second.viewport.z / 2, y), 0.0f);
            lowest = std::min(lowest, y);
            highest = std::max(highest, y);
        }
    }
    ASSERT_GE(highest, 0) << "the cube in the second view";
    EXPECT_GT(lowest, rows / 2) << "in its upper half";
    EXPECT_EQ(at(0, 0), 1.0f) << "nothing in the corner";
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}
