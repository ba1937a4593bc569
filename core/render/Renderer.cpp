// The renderer's frame: view upkeep, preparation (collection, culling, program
// variants, sort keys, queues, shadow fitting), and the three passes.
#include "core/render/Renderer.h"

#include "core/platform/Log.h"
#include "core/render/Camera.h"
#include "core/render/Drawable.h"
#include "core/render/Graphics.h"
#include "core/render/Light.h"
#include "core/render/RenderTarget.h"
#include "core/render/View.h"
#include "core/resources/Bounds.h"
#include "core/resources/IndexBuffer.h"
#include "core/resources/Material.h"
#include "core/resources/ResourceLoader.h"
#include "core/resources/Shader.h"
#include "core/resources/Texture.h"
#include "core/resources/Texture2D.h"
#include "core/resources/TextureCube.h"
#include "core/runtime/Engine.h"
#include "core/runtime/Entity.h"
#include "core/runtime/Scene.h"
#include "core/runtime/SystemRegistry.h"
#include "core/runtime/Transform.h"

#include <algorithm>
#include <cfloat>

namespace {

uint64_t identity16(const void* object) {
    const auto address = reinterpret_cast<uintptr_t>(object);
    return static_cast<uint64_t>((address ^ (address >> 16)) & 0xFFFFu);
}

template <typename T> bool enabledOnActiveEntity(const T* component) {
    return component != nullptr && component->isEnabled() && component->entity != nullptr &&
           component->entity->active;
}

// A pre-pass can stand in for the main pass's depth only where the main pass
// would write the same depth: opaque, depth-writing, and not cut out.
bool drawsDepthFirst(const Material& material) {
    return material.getRenderQueue() == 0 && material.getDepthWrite() &&
           material.getDepthFunc() == DepthFunc::Less && material.getBlendMode() == BlendMode::None &&
           material.getPolygonMode() == PolygonMode::Fill && !material.hasDefine("CUTOUT");
}

// Distance from a point to the nearest point of a box (0 inside it).
float distanceToBox(const glm::vec3& point, const glm::vec3& boxMin, const glm::vec3& boxMax) {
    return glm::length(glm::max(glm::max(boxMin - point, point - boxMax), glm::vec3(0.0f)));
}

// A sampler that reads one mip level (the nearer), filtered within it.
GLuint makeOneLevelSampler(GLint wrap) {
    GLuint sampler = 0;
    glGenSamplers(1, &sampler);
    glSamplerParameteri(sampler, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_NEAREST);
    glSamplerParameteri(sampler, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glSamplerParameteri(sampler, GL_TEXTURE_WRAP_S, wrap);
    glSamplerParameteri(sampler, GL_TEXTURE_WRAP_T, wrap);
    return sampler;
}
constexpr uint32_t oneLevelSamplerCalls = 5;

} // namespace

Renderer::Names::Names()
    : depthTex("depthTex"), depthTexTopDown("depthTexTopDown"), skybox("skybox"), lightMap("lightMap"),
      frameDt("frame.dt"), frameTotalTime("frame.totalTime"), cameraNear("camera.near"),
      cameraFar("camera.far"), cameraPosition("camera.position"), cameraEye("camera.eye"),
      cameraView("camera.view"), cameraProjection("camera.projection"),
      cameraViewProjection("camera.viewProjection"), viewportX("viewport.x"), viewportY("viewport.y"),
      viewportWidth("viewport.width"), viewportHeight("viewport.height"), ambientColor("ambientColor"),
      fogColor("fogColor"), fogColorLinear("fogColorLinear"), fogStart("fogStart"), fogRange("fogRange"),
      brightness("brightness"), normals("normals"), skyMaxLod("skyMaxLod"), objectWorld("object.world"),
      objectNormal("object.normal"), objectWorldView("object.worldView"),
      objectWorldViewProjection("object.worldViewProjection") {
    for (int n = 0; n < maxLights; ++n) {
        LightNames& light = lights[static_cast<size_t>(n)];
        light.type = UniformId("lights", n, "type");
        light.radiance = UniformId("lights", n, "radiance");
        light.position = UniformId("lights", n, "position");
        light.direction = UniformId("lights", n, "direction");
        light.constant = UniformId("lights", n, "constant");
        light.linear = UniformId("lights", n, "linear");
        light.quadratic = UniformId("lights", n, "quadratic");
        light.innerAngle = UniformId("lights", n, "innerAngle");
        light.outerAngle = UniformId("lights", n, "outerAngle");
        light.castsShadows = UniformId("lights", n, "castsShadows");
        light.shadowStrength = UniformId("lights", n, "shadowStrength");
        light.shadowBias = UniformId("lights", n, "shadowBias");
        light.shadowMapIndex = UniformId("lights", n, "shadowMapIndex");
        light.shadowTexel = UniformId("lights", n, "shadowTexel");
    }
    for (int n = 0; n < maxShadowMaps; ++n) {
        lightViewProjection[static_cast<size_t>(n)] = UniformId("lightViewProjection", n);
        for (int w = 0; w < ShadowCaster::maxWindows; ++w) {
            const int at = n * ShadowCaster::maxWindows + w;
            shadowWindows[static_cast<size_t>(at)] = UniformId("shadowWindows", at);
            shadowWindowShifts[static_cast<size_t>(at)] = UniformId("shadowWindowShifts", at);
        }
        shadowGrid[static_cast<size_t>(n)] = UniformId("shadowGrid", n);
        shadowMaps[static_cast<size_t>(n)] = UniformId("shadowMaps", n);
    }
}

Renderer::Renderer(SystemRegistry* systems)
    : System(systems), engine(systems->get<Engine>()), graphics(systems->get<Graphics>()),
      depthShader(std::make_unique<Shader>(systems, "core/shaders/depth.vert", "core/shaders/depth.frag")),
      sceneTarget(systems) {}

void Renderer::applyQualitySetting(const std::string& setting) {
    const std::string glRenderer = graphics != nullptr ? graphics->rendererName() : std::string();
    RenderQuality chosen = RenderQuality::High;
    if (!resolveRenderQuality(setting, glRenderer, chosen)) {
        logWarning("Unknown graphics quality '", setting, "' (auto, low, medium or high): using auto.");
        resolveRenderQuality("auto", glRenderer, chosen);
    }
    const bool automatic = !parseRenderQuality(setting, chosen);
    logInfo("Graphics quality ", renderQualityName(chosen),
            automatic ? " (auto for renderer '" : " (renderer '", glRenderer, "')");
    setQuality(chosen);
}

void Renderer::setQuality(RenderQuality newQuality) {
    quality = newQuality;
    qualityDefines.clear();
    switch (quality) {
    case RenderQuality::Low:
        // Real-time shadows, normal maps, sky reflections, everything that
        // reads the view's depth and the specular lobe go; the baked lightmaps
        // keep the track's shading.
        qualityDefines = {"NO_SKY_REFLECTION", "NO_DEPTH_READS", "SIMPLE_WATER", "SIMPLE_LIGHTING",
                          "VERTEX_WAVES"};
        break;
    case RenderQuality::Medium:
        // Shadows, normal maps (but the grass's and the asphalt's fine grain),
        // sky reflections and soft edges stay; the specular lobe goes, as in low.
        qualityDefines = {"FAST_SHADOWS", "SIMPLE_WATER", "SIMPLE_LIGHTING", "VERTEX_SKY"};
        break;
    case RenderQuality::High:
        qualityDefines = {"VERTEX_SKY"};
        break;
    }
    realtimeShadows = quality != RenderQuality::Low;
    normalMapsEnabled = quality != RenderQuality::Low;
    // Medium's scaled-down picture blurs it away: 4-7 % of its frame.
    fineReliefDrawn = quality == RenderQuality::High;
    // The pre-pass pays where hidden pixels are dear: at high its shading costs
    // more than drawing depth twice; medium's cheaper shading drawn near to far
    // is faster without it.
    depthPrePassEnabled = quality == RenderQuality::High;
    depthReadsEnabled = quality != RenderQuality::Low;
    // A split-screen view is 400 pixels high at 1280 x 800 with a 90 degree
    // field of view, so a pixel spans 2 m per 400 m away at high, and twice
    // that at low's half scale: from these distances a far range's 25 cm
    // stray from full detail stays under a pixel.
    farDetailDistance = quality == RenderQuality::High     ? 80.0f
                        : quality == RenderQuality::Medium ? 50.0f
                                                           : 40.0f;
    // llvmpipe sorts draws into tiles on the calling thread and its rasteriser
    // threads start on them only at a flush: a pass sent as one batch leaves
    // them idle while it is sorted. Medium's draws cover fewer pixels than
    // high's, so its batches are shorter; low's cheap pixels are drawn faster
    // than more batches cost.
    drawsPerBatch = quality == RenderQuality::High ? 30u : quality == RenderQuality::Medium ? 15u : 0u;
    particleDensity = quality == RenderQuality::High ? 1.0f : quality == RenderQuality::Medium ? 0.75f : 0.5f;
    // A software rasteriser pays per texel fetched: one mip level halves what
    // each texture read costs, for visible steps where the level changes.
    nearestMipLevels = quality != RenderQuality::High;
    // Pixels are what a software rasteriser pays for most: low draws a quarter of them.
    renderScale = renderScaleOverride > 0.0f         ? renderScaleOverride
                  : quality == RenderQuality::High   ? 1.0f
                  : quality == RenderQuality::Medium ? 0.625f
                                                     : 0.5f;
    // Read only where they are drawn, and at the size they are drawn: a switch to
    // a preset that draws more reads it now.
    const bool cubeTopLevelsRead = renderScale > 0.5f;
    if (auto* loader = systems != nullptr ? systems->get<ResourceLoader>() : nullptr) {
        loader->setNormalMapsDrawn(normalMapsEnabled);
        loader->setCubeTopLevelsRead(cubeTopLevelsRead);
    }
    // Split screen at 1280 x 800 shows the sky's first stored level (512 texels
    // a face, 256 where the top is not read) at about a texel per pixel at this
    // scale, so it is read alone. Medium shows it 1.6 times smaller and blends on.
    if ((cubeTopLevelsRead ? 1.0f : 0.5f) <= renderScale + 1e-3f) {
        qualityDefines.emplace_back("SKY_FIRST_LEVEL");
    }
    const int32_t mapSize = quality == RenderQuality::High ? 2048 : 1024;
    if (mapSize != shadowMapSize) {
        shadowMapSize = mapSize;
        shadowPool.clear();
    }
    programCache.clear();
}

Renderer::~Renderer() {
    if (graphics == nullptr || !graphics->hasWindow()) {
        return;
    }
    for (void* fence : batchFences) {
        if (fence != nullptr) {
            glDeleteSync(static_cast<GLsync>(fence));
        }
    }
    for (const uint32_t sampler : {nearestMipSampler, clampedSampler}) {
        if (sampler != 0) {
            glDeleteSamplers(1, &sampler);
        }
    }
}

uint32_t Renderer::clampedOneLevelSampler() {
    if (clampedSampler == 0) {
        clampedSampler = makeOneLevelSampler(GL_CLAMP_TO_EDGE);
        graphics->countCalls(oneLevelSamplerCalls);
    }
    return clampedSampler;
}

void Renderer::bindMaterialSamplers(bool bind) {
    // The sky cube too: where it is read at a level of the pixel's choosing (the
    // water's reflection, ruffled by its ripples, and medium's sky) a blend of
    // two levels shows nothing (low 1-3 % faster, medium level).
    glBindSampler(static_cast<GLuint>(skyboxTextureUnit), bind ? clampedOneLevelSampler() : 0);
    graphics->countCalls(1);
    // Material units 0-8 and the lightmap's 9: every texture there comes from
    // a file and repeats, as the sampler does.
    constexpr GLsizei units = lightmapTextureUnit + 1;
    if (bind && nearestMipSampler == 0) {
        nearestMipSampler = makeOneLevelSampler(GL_REPEAT);
        graphics->countCalls(oneLevelSamplerCalls);
    }
    const GLuint sampler = bind ? nearestMipSampler : 0;
    if (GLEW_VERSION_4_4 || GLEW_ARB_multi_bind) {
        std::array<GLuint, units> samplers{};
        samplers.fill(sampler);
        glBindSamplers(0, units, samplers.data());
        graphics->countCalls(1);
        return;
    }
    for (GLuint unit = 0; unit < static_cast<GLuint>(units); ++unit) {
        glBindSampler(unit, sampler);
    }
    graphics->countCalls(units);
}

void Renderer::bindLightmapSampler(bool bind) {
    // Baked light changes slowly across a lightmap: read from its nearer mip
    // level alone, it looks the same, and a software rasteriser fetches half
    // the texels (3 % of the high frame).
    glBindSampler(static_cast<GLuint>(lightmapTextureUnit), bind ? clampedOneLevelSampler() : 0);
    graphics->countCalls(1);
}

void Renderer::bindMainPassSamplers(bool bind) {
    if (nearestMipLevels) {
        bindMaterialSamplers(bind);
    } else {
        bindLightmapSampler(bind);
    }
}

void Renderer::render(Scene& scene, float dt) {
    ++frameNumber;
    syncViews(scene);
    for (const auto& view : views) {
        prepare(*view, scene, dt);
    }
    fitViewDepth();
    for (const auto& view : views) {
        renderShadowMaps(*view);
        renderDepthPrePass(*view);
        renderMainPass(*view);
        // Views that share a target would otherwise reach a software
        // rasteriser as one batch: sent on now, this view is drawn by its
        // threads while the next one's draws are prepared.
        flushBatch();
    }
    presentViews();
}

void Renderer::precompile(Scene& scene) {
    const bool culling = cullingEnabled;
    cullingEnabled = false;
    syncViews(scene);
    for (const auto& view : views) {
        prepare(*view, scene, 0.0f);
        for (Drawable* drawable : visibleScratch) {
            for (const RenderItem& item : drawable->standbyItems()) {
                readyStandbyItem(*view, item);
            }
        }
    }
    cullingEnabled = culling;
    if (!views.empty()) {
        // With culling off, neighbouring pieces of a mesh join into one item: a
        // culled frame files them apart, so the bound is every source item. The
        // views made again when the scene first draws get the same room.
        viewItemCapacity = 0;
        for (Drawable* drawable : visibleScratch) {
            viewItemCapacity += drawable->items.size() + drawable->standbyItems().size();
        }
        for (const auto& view : views) {
            view->reserve(viewItemCapacity);
        }
        depthProgram();
        // Only where it draws: a preset switch that starts the upscale builds
        // it then, with every other program the switch rebuilds.
        if (sceneTarget.active()) {
            sceneTarget.precompile();
        }
    }
}

void Renderer::readyStandbyItem(View& view, const RenderItem& item) {
    if (item.material == nullptr || graphics == nullptr || !graphics->hasWindow()) {
        return;
    }
    ShaderProgram* program =
        programFor(view, *item.material, item.lightmap != nullptr, view.onlyDirectionalLights());
    if (program == nullptr) {
        return;
    }
    // The material's names are interned and looked up in the program on their
    // first sending: done here, they cost the race nothing.
    graphics->useProgram(program);
    item.material->sendUniforms(*graphics);
    item.material->bindTextures(*graphics);
}

// ---------------------------------------------------------------- views

void Renderer::syncViews(Scene& scene) {
    if (graphics != nullptr && graphics->hasWindow()) {
        sceneTarget.update(graphics->width, graphics->height, renderScale, graphics->hasWindowDepth());
    }
    std::vector<Camera*>& cameras = cameraScratch;
    cameras.clear();
    for (Component* component : scene.getComponents()) {
        auto* camera = dynamic_cast<Camera*>(component);
        if (enabledOnActiveEntity(camera)) {
            cameras.push_back(camera);
        }
    }
    views.erase(std::remove_if(views.begin(), views.end(),
                               [&](const std::unique_ptr<View>& view) {
                                   return std::find(cameras.begin(), cameras.end(), view->camera) ==
                                          cameras.end();
                               }),
                views.end());
    for (Camera* camera : cameras) {
        if (findView(camera) == nullptr) {
            views.push_back(std::make_unique<View>(camera, graphics, this));
            views.back()->reserve(viewItemCapacity);
        }
    }
}

View* Renderer::findView(const Camera* camera) const {
    for (const auto& view : views) {
        if (view->camera == camera) {
            return view.get();
        }
    }
    return nullptr;
}

void Renderer::removeViews(const Camera* camera) {
    views.erase(
        std::remove_if(views.begin(), views.end(),
                       [camera](const std::unique_ptr<View>& view) { return view->camera == camera; }),
        views.end());
}

// ---------------------------------------------------------------- preparation

void Renderer::prepare(View& view, Scene& scene, float dt) {
    frameDt = dt;
    view.clear();
    view.updateViewport();
    forgetProgramsIfChanged();
    std::vector<Drawable*>& visible = visibleScratch;
    visible.clear();
    collect(view, scene, visible);
    addShadowCasters(view);
    addItems(view, visible, dt);
    // Without a pre-pass, drawing opaque items near to far lets the depth test
    // reject most hidden fragments before they are shaded.
    view.sort(view.camera->getPosition(), !depthPrePassEnabled);
}

void Renderer::forgetProgramsIfChanged() {
    // The flags the developer keys flip change the defines of every program.
    const uint32_t signature = (shadowsEnabled ? 1u : 0u) | (lightmapsEnabled ? 2u : 0u);
    if (signature != programCacheSignature) {
        programCacheSignature = signature;
        programCache.clear();
    }
}

void Renderer::collect(View& view, Scene& scene, std::vector<Drawable*>& visible) const {
    const Frustum& frustum = view.camera->getFrustum();
    uint32_t collected = 0;
    for (Component* component : scene.getComponents()) {
        auto* drawable = dynamic_cast<Drawable*>(component);
        if (!enabledOnActiveEntity(drawable)) {
            continue;
        }
        if (auto* light = dynamic_cast<Light*>(drawable)) {
            view.lights.push_back(light);
        }
        ++collected;
        if (!cullingEnabled || drawable->isVisible(frustum)) {
            visible.push_back(drawable);
        }
    }
    view.culled = collected - static_cast<uint32_t>(visible.size());
}

void Renderer::addShadowCasters(View& view) {
    for (Light* light : view.lights) {
        if (light->type != Light::directional || !light->castsShadows || !realtimeShadows) {
            continue;
        }
        ShadowCaster& caster = view.addShadowCaster();
        caster.light = light;
        caster.target = shadowTarget(view.shadowCasters.size() - 1);
        caster.lightViewProjection = fitShadow(view, *light);
        caster.frustum = Frustum::fromInverseViewProjection(glm::inverse(caster.lightViewProjection));
        // A plane every box lies inside in place of the near plane: depth clamping
        // flattens casters nearer the light than the box onto it.
        caster.frustum.planes[4] = Frustum::Plane{glm::vec3(0.0f), 1.0f};
        light->shadowMap = caster.target;
    }
}

void Renderer::fitCasterWindows(const View& view, ShadowCaster& caster) {
    const auto size = static_cast<float>(shadowMapSize);
    casterRects.clear();
    for (uint32_t index : caster.items) {
        const RenderItem& item = view.items[index];
        const Bounds onMap =
            item.bounded ? Bounds{item.boundsMin, item.boundsMax}.transformed(caster.lightViewProjection)
                         : Bounds{glm::vec3(-1.0f), glm::vec3(1.0f)};
        if (onMap.min.x > 1.0f || onMap.min.y > 1.0f || onMap.max.x < -1.0f || onMap.max.y < -1.0f) {
            casterRects.emplace_back(0);
            continue;
        }
        const glm::vec2 first =
            glm::floor((glm::clamp(glm::vec2(onMap.min), -1.0f, 1.0f) * 0.5f + 0.5f) * size);
        const glm::vec2 last =
            glm::ceil((glm::clamp(glm::vec2(onMap.max), -1.0f, 1.0f) * 0.5f + 0.5f) * size);
        casterRects.emplace_back(glm::ivec2(first), glm::ivec2(last));
    }
    shadowPacker.pack(casterRects, shadowMapSize, storedShadowMapSize(), caster);
}

RenderTarget* Renderer::shadowTarget(size_t index) {
    // Views are drawn one after the other, so the k-th shadow map of every view
    // can share one target: each is consumed by its view's main pass before the
    // next view's shadow pass overwrites it.
    while (shadowPool.size() <= index) {
        auto target = std::make_unique<RenderTarget>(systems);
        if (graphics != nullptr && graphics->hasWindow()) {
            // Sixteen bits resolve a fitted shadow box to millimetres, in half the memory.
            target->addDepthTexture(storedShadowMapSize(), storedShadowMapSize(), TextureFormat::Depth);
            target->create();
        }
        shadowPool.push_back(std::move(target));
    }
    return shadowPool[index].get();
}

glm::mat4 Renderer::fitShadow(View& view, Light& light) const {
    Camera& camera = *view.camera;
    const glm::mat4 cameraView = camera.getView();
    std::array<glm::vec3, 8> corners = Frustum::corners(glm::inverse(camera.getProjection() * cameraView));
    // Pull each far corner in along its edge so the box covers only the part of
    // the view nearer than the shadow distance; depth is linear along an edge.
    for (int i = 0; i < 4; ++i) {
        const float nearDepth = -(cameraView * glm::vec4(corners[i], 1.0f)).z;
        const float farDepth = -(cameraView * glm::vec4(corners[i + 4], 1.0f)).z;
        if (farDepth - nearDepth > 1e-6f) {
            const float t =
                glm::clamp((light.shadowDistance - nearDepth) / (farDepth - nearDepth), 0.0f, 1.0f);
            corners[i + 4] = corners[i] + (corners[i + 4] - corners[i]) * t;
        }
    }
    Transform* transform = light.getTransform();
    const glm::quat rotation = transform != nullptr ? transform->getGlobalRotation() : glm::quat(1, 0, 0, 0);
    const glm::mat4 lightView = glm::mat4_cast(glm::inverse(rotation));
    glm::vec3 boxMin(FLT_MAX);
    glm::vec3 boxMax(-FLT_MAX);
    for (const glm::vec3& corner : corners) {
        const glm::vec3 p(lightView * glm::vec4(corner, 1.0f));
        boxMin = glm::min(boxMin, p);
        boxMax = glm::max(boxMax, p);
    }
    const glm::vec3 extent = glm::max(boxMax - boxMin, glm::vec3(1e-4f));
    glm::mat4 ortho(1.0f);
    ortho[0][0] = 2.0f / extent.x;
    ortho[1][1] = 2.0f / extent.y;
    ortho[2][2] = -2.0f / extent.z;
    ortho[3][0] = -(boxMax.x + boxMin.x) / extent.x;
    ortho[3][1] = -(boxMax.y + boxMin.y) / extent.y;
    // The light looks down its -Z: the box's maximum z (nearest the light) maps to -1.
    ortho[3][2] = (boxMax.z + boxMin.z) / extent.z;
    return ortho * lightView;
}

std::vector<std::string> Renderer::buildDefines(const Material& material, bool hasLightmap, size_t shadowMaps,
                                                size_t lights, bool onlyDirectionalLights) const {
    std::vector<std::string> defines;
    if (shadowsEnabled && realtimeShadows && material.getReceivesShadows()) {
        defines.emplace_back("SHADOW");
        defines.push_back("NUM_SHADOWMAPS " + std::to_string(shadowMaps));
    }
    defines.push_back("NUM_LIGHTS " + std::to_string(lights));
    if (lights > 0 && onlyDirectionalLights) {
        defines.emplace_back("ONLY_DIRECTIONAL_LIGHTS");
    }
    if (hasLightmap && lightmapsEnabled) {
        defines.emplace_back("LIGHTMAP");
    }
    const bool normalMapDrawn = normalMapsEnabled && (fineReliefDrawn || !material.hasFineRelief());
    for (const std::string& define : material.getDefines()) {
        if (normalMapDrawn || define != "NORMAL") {
            defines.push_back(define);
        }
    }
    for (const std::string& define : qualityDefines) {
        defines.push_back(define);
    }
    return defines;
}

uint64_t Renderer::sortKey(const void* program, const void* material, const void* mesh) {
    return (identity16(program) << 48) | (identity16(material) << 32) | (identity16(mesh) << 16);
}

ShaderProgram* Renderer::programFor(View& view, Material& material, bool hasLightmap, bool onlyDirectional) {
    const auto cacheKey = std::make_tuple(static_cast<const Material*>(&material), hasLightmap,
                                          view.shadowCasters.size(), view.lights.size(), onlyDirectional);
    const auto cached = programCache.find(cacheKey);
    if (cached != programCache.end()) {
        return cached->second;
    }
    ShaderProgram* program = nullptr;
    Shader* shader = material.getShader();
    if (shader == nullptr) {
        if (std::find(warnedMaterials.begin(), warnedMaterials.end(), &material) == warnedMaterials.end()) {
            warnedMaterials.push_back(&material);
            logWarning("Material '", material.getName(), "' has no shader and is not drawn.");
        }
    } else {
        program = shader->getProgram(buildDefines(material, hasLightmap, view.shadowCasters.size(),
                                                  view.lights.size(), onlyDirectional));
        // A variant that failed to build has been reported by the shader; it cannot draw.
        if (program != nullptr && !program->isLinked()) {
            program = fallbackProgram(material);
        }
    }
    programCache.emplace(cacheKey, program);
    return program;
}

namespace {

// Only the renderer's object uniforms, position and normal: nothing a damaged
// assets folder can take away.
const char* const fallbackVertex = R"(#version 430 core
struct ObjectData {
    mat4 world;
    mat4 normal;
    mat4 worldView;
    mat4 worldViewProjection;
};
uniform ObjectData object;
in vec3 position;
in vec3 normal;
out vec3 vNormal;
void main() {
    vNormal = mat3(object.normal) * normal;
    gl_Position = object.worldViewProjection * vec4(position, 1.0);
}
)";

// The material's albedo (grey when it has none) under a fixed light from above.
const char* const fallbackFragment = R"(#version 430 core
uniform vec4 albedo;
in vec3 vNormal;
out vec4 fragColor;
void main() {
    vec3 base = albedo.a > 0.0 ? albedo.rgb : vec3(0.6);
    float light = 0.4 + 0.6 * max(dot(normalize(vNormal), normalize(vec3(0.3, 1.0, 0.2))), 0.0);
    fragColor = vec4(base * light, 1.0);
}
)";

} // namespace

ShaderProgram* Renderer::fallbackProgram(const Material& material) {
    if (fallbackShader == nullptr) {
        fallbackShader = std::make_unique<Shader>(systems);
        fallbackShader->setSources(fallbackVertex, fallbackFragment);
    }
    ShaderProgram* program = fallbackShader->getProgram(std::string());
    if (program == nullptr || !program->isLinked()) {
        return nullptr;
    }
    if (std::find(fallbackMaterials.begin(), fallbackMaterials.end(), &material) == fallbackMaterials.end()) {
        fallbackMaterials.push_back(&material);
        logWarning("Material '", material.getName(), "' is drawn with the plain lit shader");
    }
    return program;
}

void Renderer::addItems(View& view, const std::vector<Drawable*>& visible, float dt) {
    // Time moves once per frame: views after the first see the same moment,
    // so a particle emitter is simulated once however many views draw it.
    const bool firstView = views.empty() || views.front().get() == &view;
    const float viewDt = firstView ? dt : 0.0f;
    const Frustum& frustum = view.camera->getFrustum();
    const glm::vec3 eye = view.camera->getPosition();
    // The shaders fog by the distance to the camera: past this a surface shows
    // nothing but the fog's colour.
    const float fogEnd = fogStart + fogRange;
    const bool onlyDirectionalLights = view.onlyDirectionalLights();
    for (Drawable* drawable : visible) {
        drawable->updateItems(viewDt, view.camera);
        // Bit 0: the view's queues; bit 1 + k: shadow caster k's list.
        uint32_t lastMask = 0;
        bool lastFromHere = false;
        for (const RenderItem& source : drawable->items) {
            if (source.material == nullptr) {
                continue;
            }
            Material& material = *source.material;
            const bool culls = source.bounded && cullingEnabled;
            const glm::vec3 reach(material.getVertexReach());
            const glm::vec3 boxMin = source.boundsMin - reach;
            const glm::vec3 boxMax = source.boundsMax + reach;
            const float distance = culls ? distanceToBox(eye, boxMin, boxMax) : 0.0f;
            uint32_t mask = 0;
            if (!culls || (frustum.intersects(boxMin, boxMax) && distance <= fogEnd)) {
                mask |= 1u;
            }
            if (material.getCastsShadows()) {
                for (size_t k = 0; k < view.shadowCasters.size(); ++k) {
                    // Lights past the mask's bits take every caster.
                    if (k >= 31 || !culls || view.shadowCasters[k].frustum.intersects(boxMin, boxMax)) {
                        mask |= 2u << std::min<size_t>(k, 30);
                    }
                }
            }
            if (mask == 0) {
                lastFromHere = false;
                continue;
            }
            ShaderProgram* program =
                programFor(view, material, source.lightmap != nullptr, onlyDirectionalLights);
            if (program == nullptr) {
                lastFromHere = false;
                continue;
            }
            // A material that moves its vertices needs every one of them.
            const bool far = source.farCount != 0 && farDetailDistance > 0.0f &&
                             distance > farDetailDistance && material.getVertexReach() == 0.0f;
            const uint32_t first = far ? source.farFirst : source.first;
            const uint32_t count = far ? source.farCount : source.count;
            // Neighbouring pieces of one mesh that every pass takes or leaves
            // alike are one range of its index buffer: drawn as one.
            if (lastFromHere && source.bounded && mask == lastMask) {
                RenderItem& last = view.items.back();
                if (last.bounded && last.material == source.material &&
                    last.indexBuffer == source.indexBuffer && last.drawType == RenderItem::indexed &&
                    source.drawType == RenderItem::indexed && last.first + last.count == first) {
                    last.count += count;
                    last.boundsMin = glm::min(last.boundsMin, source.boundsMin);
                    last.boundsMax = glm::max(last.boundsMax, source.boundsMax);
                    // Parts of a whole mesh keep their entity's place.
                    if (last.position != source.position) {
                        last.position = (last.boundsMin + last.boundsMax) * 0.5f;
                    }
                    continue;
                }
            }
            const auto index = static_cast<uint32_t>(view.items.size());
            view.items.push_back(source);
            RenderItem& item = view.items.back();
            item.first = first;
            item.count = count;
            item.program = program;
            item.key = sortKey(program, &material, item.indexBuffer);
            lastMask = mask;
            lastFromHere = true;
            if ((mask & 1u) != 0) {
                const auto queue = static_cast<size_t>(std::clamp(material.getRenderQueue(), 0, 5));
                view.queues[queue].push_back(index);
                item.depthFirst = depthPrePassEnabled && drawsDepthFirst(material);
                if (item.depthFirst) {
                    view.depthList.push_back(index);
                }
            }
            for (size_t k = 0; k < view.shadowCasters.size(); ++k) {
                if ((mask & (2u << std::min<size_t>(k, 30))) != 0) {
                    view.shadowCasters[k].items.push_back(index);
                }
            }
        }
    }
    // Shadow maps have no required order: group by mesh to save attribute setup
    // (ties by index: a stable sort would allocate its buffer every frame).
    for (ShadowCaster& caster : view.shadowCasters) {
        std::sort(caster.items.begin(), caster.items.end(), [&view](uint32_t a, uint32_t b) {
            const IndexBuffer* left = view.items[a].indexBuffer;
            const IndexBuffer* right = view.items[b].indexBuffer;
            return left != right ? left < right : a < b;
        });
        fitCasterWindows(view, caster);
    }
}

// ---------------------------------------------------------------- passes

void Renderer::resetRenderState() {
    graphics->setBlendMode(BlendMode::None);
    graphics->setCullMode(CullMode::Back);
    graphics->setDepthFunc(DepthFunc::Less);
    graphics->setDepthWrite(true);
    graphics->setPolygonMode(PolygonMode::Fill);
}

void Renderer::drawItem(const RenderItem& item) {
    graphics->drawIndexed(item.count, item.first,
                          item.drawType == RenderItem::instanced ? static_cast<uint32_t>(item.instanceCount)
                                                                 : 1u);
    if (drawsPerBatch != 0 && ++drawsInBatch >= drawsPerBatch) {
        flushBatch();
    }
}

void Renderer::flushBatch() {
    drawsInBatch = 0;
    if (graphics == nullptr || !graphics->hasWindow()) {
        return;
    }
    if (batchBound == BatchBound::Unknown) {
        batchBound = isSoftwareRenderer(graphics->rendererName()) ? BatchBound::Bounded : BatchBound::Free;
    }
    if (batchBound == BatchBound::Bounded) {
        // Waits for the batch sent batchesInFlight sends ago (a third of the
        // sends at medium and high wait): the rasteriser is the slower side, and
        // unbounded, the batches queued behind it kept high's peak 3-5 MB
        // higher, for the same frame rate. A GPU driver keeps a queue of its own.
        void*& slot = batchFences[nextBatchFence];
        nextBatchFence = (nextBatchFence + 1) % batchesInFlight;
        if (slot != nullptr) {
            constexpr GLuint64 oneSecond = 1000000000u;
            glClientWaitSync(static_cast<GLsync>(slot), 0, oneSecond);
            glDeleteSync(static_cast<GLsync>(slot));
            graphics->countCalls(2);
        }
        slot = glFenceSync(GL_SYNC_GPU_COMMANDS_COMPLETE, 0);
        graphics->countCalls(1);
    }
    glFlush();
    graphics->countCalls(1);
}

ShaderProgram* Renderer::depthProgram() {
    ShaderProgram* program = depthShader->getProgram(std::string());
    return program != nullptr && program->isLinked() ? program : nullptr;
}

void Renderer::renderShadowMaps(View& view) {
    if (graphics == nullptr || !graphics->hasWindow() || view.shadowCasters.empty()) {
        return;
    }
    ShaderProgram* program = depthProgram();
    for (const ShadowCaster& caster : view.shadowCasters) {
        if (caster.windowCount == 0) {
            continue;
        }
        caster.target->bind();
        resetRenderState();
        if (program != nullptr) {
            graphics->useProgram(program);
        }
        // Casters between the light and the fitted box would be clipped away by
        // the near plane; clamping flattens them onto it so they still cast.
        glEnable(GL_DEPTH_CLAMP);
        glEnable(GL_SCISSOR_TEST);
        graphics->countCalls(2);
        const glm::mat4* lastWorld = nullptr;
        for (int w = 0; w < caster.windowCount; ++w) {
            const ShadowCaster::Window& window = caster.windows[static_cast<size_t>(w)];
            glScissor(window.stored.x, window.stored.y, window.rect.z, window.rect.w);
            glClear(GL_DEPTH_BUFFER_BIT);
            graphics->countCalls(2);
            if (program == nullptr) {
                continue;
            }
            // The whole map's viewport (at the window's detail), moved so that the
            // window's texels land where it is stored: the rasteriser draws them
            // exactly as it would on the whole map.
            graphics->setViewport(window.stored.x - window.rect.x, window.stored.y - window.rect.y,
                                  caster.mapSize, caster.mapSize);
            for (uint32_t i = window.firstItem; i < window.firstItem + window.itemCount; ++i) {
                const RenderItem& item = view.items[caster.items[i]];
                if (lastWorld == nullptr || item.world != *lastWorld) {
                    graphics->setUniform(names.objectWorldViewProjection,
                                         caster.lightViewProjection * item.world);
                    lastWorld = &item.world;
                }
                graphics->bindBuffers(item.vertexBuffers, item.indexBuffer);
                drawItem(item);
            }
        }
        glDisable(GL_SCISSOR_TEST);
        glDisable(GL_DEPTH_CLAMP);
        graphics->countCalls(2);
    }
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    graphics->countCalls(1);
}

void Renderer::renderDepthPrePass(View& view) {
    view.depthReady = false;
    if (graphics == nullptr || !graphics->hasWindow() || !depthPrePassEnabled) {
        return;
    }
    ShaderProgram* program = depthProgram();
    if (program == nullptr) {
        return;
    }
    // Straight into the view's part of the window: the main pass then tests
    // against this depth instead of writing its own.
    const glm::ivec4& v = view.viewport;
    if (sceneTarget.active()) {
        sceneTarget.bind();
        graphics->countCalls(1);
    }
    graphics->forgetTextures();
    graphics->setViewport(v.x, v.y, v.z, v.w);
    clearViewRect(view);
    glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
    graphics->countCalls(1);
    resetRenderState();
    graphics->useProgram(program);
    const glm::mat4 viewProjection = view.camera->getViewProjection();
    const glm::mat4* lastWorld = nullptr;
    for (uint32_t index : view.depthList) {
        const RenderItem& item = view.items[index];
        // The track's pieces share one placement: its matrix is sent once.
        if (lastWorld == nullptr || item.world != *lastWorld) {
            graphics->setUniform(names.objectWorldViewProjection, viewProjection * item.world);
            lastWorld = &item.world;
        }
        graphics->bindBuffers(item.vertexBuffers, item.indexBuffer);
        drawItem(item);
    }
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    graphics->countCalls(1);
    copyDepth(view);
    view.depthReady = true;
}

// Colour and depth of the view's part of the window only: the other views may
// already be drawn.
void Renderer::clearViewRect(const View& view) {
    const glm::ivec4& v = view.viewport;
    const glm::vec3& clear = view.camera->clearColor;
    glClearColor(clear.r, clear.g, clear.b, 1.0f);
    graphics->setDepthWrite(true);
    glEnable(GL_SCISSOR_TEST);
    glScissor(v.x, v.y, v.z, v.w);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glDisable(GL_SCISSOR_TEST);
    graphics->countCalls(5);
}

void Renderer::fitViewDepth() {
    // There for the shaders that read it (filled by the pre-pass, or copied in
    // the main pass without one): without them it would be memory nothing reads.
    glm::ivec2 size(0);
    if (depthPrePassEnabled || depthReadsEnabled) {
        for (const auto& view : views) {
            size = glm::max(size, glm::ivec2(view->viewport.z, view->viewport.w));
        }
    }
    if (size.x <= 0 || size.y <= 0 || graphics == nullptr || !graphics->hasWindow()) {
        viewDepth.reset();
        return;
    }
    if (viewDepth != nullptr && viewDepth->width == size.x && viewDepth->height == size.y) {
        return;
    }
    viewDepth = std::make_unique<RenderTarget>(systems);
    viewDepth->addDepthTexture(size.x, size.y);
    viewDepth->create();
}

void Renderer::copyDepth(View& view) {
    if (viewDepth == nullptr || viewDepth->depthTexture == nullptr) {
        return;
    }
    const glm::ivec4& v = view.viewport;
    const Texture* depth = viewDepth->depthTexture;
    viewDepthTopDown = !sceneTarget.active() && windowDepthCopyTurnsOver();
    if (viewDepthTopDown) {
        // Mesa stores the window's rows from the top down and textures' from
        // the bottom up: a copy the right way up is drawn by llvmpipe's
        // rasteriser threads (3.8 ms of CPU time a view at high), one asked for
        // upside down is a plain copy of memory. The shaders that read the
        // texture turn its rows back (depthTexTopDown).
        glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
        glBindFramebuffer(GL_DRAW_FRAMEBUFFER, viewDepth->framebuffer);
        glBlitFramebuffer(v.x, v.y, v.x + v.z, v.y + v.w, 0, v.w, v.z, 0,
                          GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT, GL_NEAREST);
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        graphics->countCalls(4);
        return;
    }
    if (graphics->bindsTexturesDirectly()) {
        // Binding leaves the active unit alone: the copy names its texture.
        glCopyTextureSubImage2D(depth->getTexture(), 0, 0, 0, v.x, v.y, v.z, v.w);
        graphics->countCalls(1);
        return;
    }
    // The copy goes to the active unit's texture, which a cached bind may not make active.
    graphics->forgetTexture(static_cast<uint32_t>(depthTextureUnit));
    graphics->bindTexture(static_cast<uint32_t>(depthTextureUnit), depth);
    glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, v.x, v.y, v.z, v.w);
    graphics->countCalls(1);
}

bool Renderer::windowDepthCopyTurnsOver() {
    if (windowDepthCopy == WindowDepthCopy::Unknown) {
        // A blit of depth and stencil needs both stored alike on either side;
        // the texture is 24-bit depth with 8-bit stencil. A buffer the window
        // lacks has no size to ask for.
        const auto bits = [](GLenum attachment, GLenum size) {
            GLint type = GL_NONE;
            glGetFramebufferAttachmentParameteriv(GL_FRAMEBUFFER, attachment,
                                                  GL_FRAMEBUFFER_ATTACHMENT_OBJECT_TYPE, &type);
            GLint value = 0;
            if (type != GL_NONE) {
                glGetFramebufferAttachmentParameteriv(GL_FRAMEBUFFER, attachment, size, &value);
            }
            return value;
        };
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        const bool alike = bits(GL_DEPTH, GL_FRAMEBUFFER_ATTACHMENT_DEPTH_SIZE) == 24 &&
                           bits(GL_STENCIL, GL_FRAMEBUFFER_ATTACHMENT_STENCIL_SIZE) == 8;
        graphics->countCalls(5);
        windowDepthCopy = alike ? WindowDepthCopy::TurnedOver : WindowDepthCopy::Plain;
    }
    return windowDepthCopy == WindowDepthCopy::TurnedOver;
}

void Renderer::renderMainPass(View& view) {
    if (graphics == nullptr || !graphics->hasWindow()) {
        return;
    }
    const glm::ivec4& v = view.viewport;
    if (sceneTarget.active()) {
        sceneTarget.bind();
        graphics->countCalls(1);
    }
    // Set unconditionally: other code (the UI) may have called glViewport itself.
    graphics->viewport = {v.x, v.y, v.z, v.w};
    glViewport(v.x, v.y, v.z, v.w);
    graphics->countCalls(1);
    graphics->forgetTextures();
    if (!view.depthReady) {
        clearViewRect(view);
    }
    resetRenderState();
    bindMainPassSamplers(true);

    ++mainPassStamp;
    viewMatrix = view.camera->getView();
    projectionMatrix = view.camera->getProjection();
    viewProjectionMatrix = view.camera->getViewProjection();
    // Changes are detected on the objects themselves, not on their 16-bit key
    // identities, so two materials that happen to share key bits are both applied.
    const ShaderProgram* lastProgram = nullptr;
    const Material* lastMaterial = nullptr;
    const Texture* lastLightmap = nullptr;
    const glm::mat4* lastWorld = nullptr;
    bool first = true;
    for (size_t queueIndex = 0; queueIndex < view.queues.size(); ++queueIndex) {
        const auto& queue = view.queues[queueIndex];
        if (queueIndex >= View::firstTransparentQueue && !queue.empty() && !view.depthReady &&
            depthReadsEnabled) {
            // Without a pre-pass the opaque items have just written the view's
            // depth: the water and the particles read it from here on.
            copyDepth(view);
            view.depthReady = true;
        }
        for (uint32_t index : queue) {
            const RenderItem& item = view.items[index];
            const bool programChanged = first || item.program != lastProgram;
            const bool materialChanged = programChanged || item.material != lastMaterial;
            first = false;
            if (programChanged) {
                graphics->useProgram(item.program);
                if (item.program->viewStamp != mainPassStamp) {
                    item.program->viewStamp = mainPassStamp;
                    sendProgramUniforms(view);
                    // A program either receives shadows for all its materials or
                    // for none (the SHADOW define), and nothing else binds the
                    // shadow maps' units: once per program and view is enough.
                    if (shadowsEnabled && item.material->getReceivesShadows()) {
                        sendShadowMaps(view);
                    }
                }
            }
            if (materialChanged) {
                item.material->applyRenderState(*graphics, wireframe);
                item.material->sendUniforms(*graphics);
                item.material->bindTextures(*graphics);
            }
            // Depth is already there: test against it and leave it alone.
            const bool depthDone = view.depthReady && item.depthFirst;
            graphics->setDepthFunc(depthDone ? DepthFunc::LessEqual : item.material->getDepthFunc());
            graphics->setDepthWrite(depthDone ? false : item.material->getDepthWrite());
            // Items of one program with one placement (the track's pieces) share
            // the object uniforms: sent once.
            if (programChanged || lastWorld == nullptr || item.world != *lastWorld) {
                sendObjectUniforms(view, item);
                lastWorld = &item.world;
            }
            // The cache compares the streams itself; instanced items may share an
            // index buffer but not their per-instance streams.
            graphics->bindBuffers(item.vertexBuffers, item.indexBuffer);
            if (item.lightmap != nullptr && lightmapsEnabled &&
                (programChanged || item.lightmap != lastLightmap)) {
                bindTexture(lightmapTextureUnit, item.lightmap, names.lightMap);
                lastLightmap = item.lightmap;
            }
            drawItem(item);
            lastProgram = item.program;
            lastMaterial = item.material;
        }
    }
    // The UI and everything else sample as their textures say.
    bindMainPassSamplers(false);
}

void Renderer::presentViews() {
    if (graphics == nullptr || !graphics->hasWindow() || !sceneTarget.active() || views.empty()) {
        return;
    }
    // One upscale for all views: each read of the target makes a software
    // rasteriser finish everything drawn so far before it can start.
    glm::ivec4 from = views.front()->viewport;
    glm::ivec4 to = views.front()->windowViewport;
    const auto grow = [](glm::ivec4& box, const glm::ivec4& rect) {
        const glm::ivec2 low = glm::min(glm::ivec2(box.x, box.y), glm::ivec2(rect.x, rect.y));
        const glm::ivec2 high =
            glm::max(glm::ivec2(box.x + box.z, box.y + box.w), glm::ivec2(rect.x + rect.z, rect.y + rect.w));
        box = {low.x, low.y, high.x - low.x, high.y - low.y};
    };
    for (const auto& view : views) {
        grow(from, view->viewport);
        grow(to, view->windowViewport);
    }
    graphics->countCalls(sceneTarget.present(*graphics, from, to));
}

void Renderer::bindTexture(int32_t unit, const Texture* texture, UniformId sampler) {
    graphics->bindTexture(static_cast<uint32_t>(unit), texture);
    graphics->setUniform(sampler, unit);
}

void Renderer::sendProgramUniforms(View& view) {
    Camera& camera = *view.camera;
    // Programs that do not read the view's depth must not see it either.
    if (view.depthReady && viewDepth != nullptr && viewDepth->depthTexture != nullptr) {
        bindTexture(depthTextureUnit, viewDepth->depthTexture, names.depthTex);
        graphics->setUniform(names.depthTexTopDown, viewDepthTopDown);
    }
    if (skyTexture != nullptr) {
        bindTexture(skyboxTextureUnit, skyTexture, names.skybox);
    }
    graphics->setUniform(names.skyMaxLod, skyLastLevel());
    graphics->setUniform(names.frameDt, frameDt);
    graphics->setUniform(names.frameTotalTime, engine != nullptr ? engine->time : 0.0f);
    graphics->setUniform(names.cameraNear, camera.near);
    graphics->setUniform(names.cameraFar, camera.far);
    graphics->setUniform(names.cameraPosition, camera.getPosition());
    graphics->setUniform(names.cameraEye, camera.getEye());
    graphics->setUniform(names.cameraView, viewMatrix);
    graphics->setUniform(names.cameraProjection, projectionMatrix);
    graphics->setUniform(names.cameraViewProjection, projectionMatrix * viewMatrix);
    graphics->setUniform(names.viewportX, static_cast<float>(view.viewport.x));
    graphics->setUniform(names.viewportY, static_cast<float>(view.viewport.y));
    graphics->setUniform(names.viewportWidth, static_cast<float>(view.viewport.z));
    graphics->setUniform(names.viewportHeight, static_cast<float>(view.viewport.w));
    sendLightUniforms(view);
    graphics->setUniform(names.ambientColor, ambientColor);
    graphics->setUniform(names.fogColor, fogColor);
    graphics->setUniform(names.fogColorLinear,
                         glm::pow(glm::max(fogColor, glm::vec3(0.0f)), glm::vec3(2.2f)));
    graphics->setUniform(names.fogStart, fogStart);
    graphics->setUniform(names.fogRange, fogRange);
    graphics->setUniform(names.brightness, brightness);
    graphics->setUniform(names.normals, normalsEnabled);
}

float Renderer::skyLastLevel() const {
    if (skyTexture == nullptr || skyTexture->getTexture() == 0) {
        return 0.0f;
    }
    return static_cast<float>(std::max(skyTexture->getLevels() - 1, 0));
}

void Renderer::sendLightUniforms(View& view) {
    for (size_t i = 0; i < view.lights.size(); ++i) {
        Light& light = *view.lights[i];
        const int n = static_cast<int>(i);
        int shadowMapIndex = -1;
        float shadowTexel = 0.0f;
        for (size_t k = 0; k < view.shadowCasters.size(); ++k) {
            if (view.shadowCasters[k].light == &light) {
                shadowMapIndex = static_cast<int>(k);
                // World size of one shadow texel, from the orthographic scale on x.
                const glm::mat4& m = view.shadowCasters[k].lightViewProjection;
                const float scale = glm::length(glm::vec3(m[0][0], m[1][0], m[2][0]));
                const int32_t texels = std::max(view.shadowCasters[k].mapSize, 1);
                shadowTexel = 2.0f / (std::max(scale, 1e-6f) * static_cast<float>(texels));
            }
        }
        // Names past the interned ones are built here: only scenes with that
        // many lights in one view pay for it.
        const Names::LightNames extra =
            n < Names::maxLights
                ? Names::LightNames{}
                : Names::LightNames{
                      UniformId("lights", n, "type"),           UniformId("lights", n, "radiance"),
                      UniformId("lights", n, "position"),       UniformId("lights", n, "direction"),
                      UniformId("lights", n, "constant"),       UniformId("lights", n, "linear"),
                      UniformId("lights", n, "quadratic"),      UniformId("lights", n, "innerAngle"),
                      UniformId("lights", n, "outerAngle"),     UniformId("lights", n, "castsShadows"),
                      UniformId("lights", n, "shadowStrength"), UniformId("lights", n, "shadowBias"),
                      UniformId("lights", n, "shadowMapIndex"), UniformId("lights", n, "shadowTexel")};
        const Names::LightNames& at = n < Names::maxLights ? names.lights[i] : extra;
        const glm::vec3 direction = light.getWorldDirection();
        const float length = glm::length(direction);
        graphics->setUniform(at.type, static_cast<int>(light.type));
        graphics->setUniform(at.radiance, light.color * light.intensity);
        graphics->setUniform(at.position, light.getWorldPosition());
        graphics->setUniform(at.direction,
                             length > 1e-6f ? direction / length : glm::vec3(0.0f, 0.0f, -1.0f));
        graphics->setUniform(at.constant, light.constant);
        graphics->setUniform(at.linear, light.linear);
        graphics->setUniform(at.quadratic, light.quadratic);
        graphics->setUniform(at.innerAngle, light.innerAngle);
        graphics->setUniform(at.outerAngle, light.outerAngle);
        graphics->setUniform(at.castsShadows, light.castsShadows);
        graphics->setUniform(at.shadowStrength, light.shadowStrength);
        graphics->setUniform(at.shadowBias, light.shadowBias);
        graphics->setUniform(at.shadowMapIndex, shadowMapIndex);
        graphics->setUniform(at.shadowTexel, shadowTexel);
    }
}

void Renderer::sendShadowMaps(const View& view) {
    for (size_t i = 0; i < view.shadowCasters.size(); ++i) {
        const ShadowCaster& caster = view.shadowCasters[i];
        const int n = static_cast<int>(i);
        const bool interned = n < Names::maxShadowMaps;
        const UniformId matrixName =
            interned ? names.lightViewProjection[i] : UniformId("lightViewProjection", n);
        const UniformId mapName = interned ? names.shadowMaps[i] : UniformId("shadowMaps", n);
        graphics->setUniform(matrixName, caster.lightViewProjection);
        graphics->setUniform(interned ? names.shadowGrid[i] : UniformId("shadowGrid", n),
                             static_cast<float>(caster.mapSize));
        for (int w = 0; w < ShadowCaster::maxWindows; ++w) {
            const int at = n * ShadowCaster::maxWindows + w;
            const auto slot = static_cast<size_t>(at);
            const UniformId areaName = interned ? names.shadowWindows[slot] : UniformId("shadowWindows", at);
            const UniformId shiftName =
                interned ? names.shadowWindowShifts[slot] : UniformId("shadowWindowShifts", at);
            if (w < caster.windowCount) {
                const ShadowCaster::Window& window = caster.windows[static_cast<size_t>(w)];
                const glm::ivec2 shift = window.stored - glm::ivec2(window.rect.x, window.rect.y);
                graphics->setUniform(areaName, window.lookupArea);
                graphics->setUniform(shiftName, glm::vec2(shift));
            } else {
                // Sent all the same: a uniform first set mid-race would grow the
                // program's cache of held values then.
                graphics->setUniform(areaName, glm::vec4(1.0f, 1.0f, 0.0f, 0.0f));
                graphics->setUniform(shiftName, glm::vec2(0.0f));
            }
        }
        if (caster.target->depthTexture != nullptr) {
            graphics->bindTexture(static_cast<uint32_t>(firstShadowMapUnit + n), caster.target->depthTexture);
        }
        graphics->setUniform(mapName, firstShadowMapUnit + n);
    }
}

void Renderer::sendObjectUniforms(View&, const RenderItem& item) {
    const glm::mat4 worldView = viewMatrix * item.world;
    graphics->setUniform(names.objectWorld, item.world);
    graphics->setUniform(names.objectNormal, glm::transpose(glm::inverse(item.world)));
    graphics->setUniform(names.objectWorldView, worldView);
    // Bit for bit the matrix the depth pre-pass used, so its depth is met exactly.
    graphics->setUniform(names.objectWorldViewProjection, viewProjectionMatrix * item.world);
}
