// The forward renderer: keeps one View per enabled camera of the scene and draws
// each view in turn: shadow maps for its shadow-casting directional lights, a
// depth pre-pass into the view's depth texture, then six sorted queues into the
// view's viewport, sending uniforms by the shaders' naming contract.
//
// Items with a world box (the chunks of big meshes) are culled one by one: the
// queues and the depth pre-pass take those in the camera's frustum and nearer
// than the fog's end, each shadow map those in its light's box. Neighbouring
// chunks that land in the same lists are drawn as one range.
//
// At high, opaque items are drawn twice: depth only, then shaded with the depth
// test at LessEqual and depth writes off, so each pixel is shaded about once.
// The cheaper presets draw them once, near to far. Either way the opaque depth
// is copied into the view's depth texture for the water and the particles. The
// quality preset decides what each pixel costs, and how many pixels there are:
// below a render scale of 1 the views are drawn into a smaller offscreen
// picture (SceneTarget) and upscaled into the window.
#pragma once

#include "core/render/RenderQuality.h"
#include "core/render/SceneTarget.h"
#include "core/render/ShadowCaster.h"
#include "core/render/ShadowWindowPacker.h"
#include "core/resources/UniformId.h"
#include "core/runtime/System.h"

#include <glm/glm.hpp>

#include <algorithm>
#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

class Camera;
class Drawable;
class Engine;
class Graphics;
class Light;
class Material;
class RenderTarget;
class Scene;
class Shader;
class ShaderProgram;
class Texture;
class TextureCube;
class View;
struct RenderItem;
struct ShadowCaster;

class Renderer : public System {
public:
    static constexpr int32_t depthTextureUnit = 10;
    static constexpr int32_t skyboxTextureUnit = 11;
    static constexpr int32_t lightmapTextureUnit = 9;
    static constexpr int32_t firstShadowMapUnit = 13;

    explicit Renderer(SystemRegistry* systems);
    ~Renderer() override;

    // Views in line with the scene's cameras, every view prepared, then per view
    // its shadow maps, depth pre-pass and main pass, then the one upscale.
    void render(Scene& scene, float dt);

    // The frame's steps, public so tests and tools can drive them one at a time.
    void syncViews(Scene& scene);
    void prepare(View& view, Scene& scene, float dt);
    // After every view is prepared: makes the view depth texture cover every
    // view, or frees it where the preset reads none.
    void fitViewDepth();
    void renderShadowMaps(View& view);
    void renderDepthPrePass(View& view);
    void renderMainPass(View& view);
    // Below a render scale of 1: upscales the views' part of the offscreen
    // picture into the window, once for all of them, before the UI draws.
    void presentViews();

    // Compiles and links every program variant the scene's drawables need in the
    // views its cameras make, culling aside, without drawing anything: loading
    // calls it so that no frame of the scene stops to compile. The views stay
    // until the next frame of another scene drops them.
    void precompile(Scene& scene);
    // Renderer defines for one item, in the order the shaders expect:
    // "SHADOW", "NUM_SHADOWMAPS n", "NUM_LIGHTS n", "ONLY_DIRECTIONAL_LIGHTS" (lights
    // that are all directional), "LIGHTMAP", then the material's own (without
    // "NORMAL" where the preset drops normal maps), then the preset's own.
    std::vector<std::string> buildDefines(const Material& material, bool hasLightmap, size_t shadowMaps,
                                          size_t lights, bool onlyDirectionalLights) const;
    // Groups items by program, then material, then mesh (16 bits of identity each).
    static uint64_t sortKey(const void* program, const void* material, const void* mesh);

    // Switches the preset at once: programs are chosen again on the next frame
    // (variants compile on first use), the shadow maps are remade at their new size.
    void setQuality(RenderQuality quality);
    // The [graphics] quality setting: resolves "auto" by the OpenGL renderer,
    // applies the preset and logs the choice; an unknown value is logged and
    // treated as "auto".
    void applyQualitySetting(const std::string& setting);
    RenderQuality getQuality() const { return quality; }
    // What the preset adds to every program's defines.
    const std::vector<std::string>& getQualityDefines() const { return qualityDefines; }
    // Share of each particle emitter's rate that is emitted (1 at high).
    float getParticleDensity() const { return particleDensity; }
    // Share of the window's width and height the 3D views are drawn at (1 at
    // high); below 1 they are upscaled into the window and the HUD stays sharp.
    float getRenderScale() const { return renderScale; }
    // Whether the main pass samples material textures and lightmaps from the
    // nearest mip level only (bilinear instead of trilinear; low and medium).
    bool getNearestMipLevels() const { return nearestMipLevels; }
    // The scale the views are drawn at this frame: the render scale, or 1 where
    // no offscreen target could be made.
    float getSceneScale() const { return sceneTarget.active() ? sceneTarget.getScale() : 1.0f; }
    // Counts frames drawn, so that per-frame work shared by views runs once.
    uint32_t getFrameNumber() const { return frameNumber; }
    // The opaque depth the water and the particles read, as large as the largest
    // view: null while the preset reads none.
    const RenderTarget* getViewDepthTarget() const { return viewDepth.get(); }
    // Whether that texture's rows run from the view's top row down (copied out
    // of the window) rather than up from its bottom row (out of the scene target).
    bool getViewDepthTopDown() const { return viewDepthTopDown; }

    // Forgets the views of a camera that is going away.
    void removeViews(const Camera* camera);
    const std::vector<std::unique_ptr<View>>& getViews() const { return views; }
    View* findView(const Camera* camera) const;

    Engine* engine = nullptr;
    glm::vec3 ambientColor{0.1f, 0.1f, 0.1f};
    glm::vec3 fogColor{0.7f, 0.8f, 0.9f};
    float fogStart = 500.0f;
    float fogRange = 100.0f;
    // Passed to every shader as "brightness"; changed by the brightness keys.
    float brightness = 1.0f;
    // The developer keys flip these.
    bool normalsEnabled = true;
    bool shadowsEnabled = true;
    bool lightmapsEnabled = true;
    bool cullingEnabled = true;
    bool wireframe = false;
    Graphics* graphics = nullptr;
    int32_t shadowMapSize = 2048;
    // Opaque items drawn depth-first so the main pass shades each pixel about
    // once (high; set by setQuality).
    bool depthPrePassEnabled = true;
    // Past this many metres from a view, the chunks of big meshes are drawn from
    // their far ranges (0: never; set by setQuality).
    float farDetailDistance = 0.0f;
    // Draws sent to the driver as one batch before a glFlush hands them on
    // (0: only whole views; set by setQuality).
    uint32_t drawsPerBatch = 0;
    // The [graphics] render_scale setting: above 0 it replaces every preset's own
    // render scale (applied by setQuality).
    float renderScaleOverride = 0.0f;
    // Set by the skybox; every program gets it as "skybox".
    TextureCube* skyTexture = nullptr;

private:
    void collect(View& view, Scene& scene, std::vector<Drawable*>& visible) const;
    void addShadowCasters(View& view);
    void addItems(View& view, const std::vector<Drawable*>& visible, float dt);
    // onlyDirectional: the view's onlyDirectionalLights, asked once per view.
    ShaderProgram* programFor(View& view, Material& material, bool hasLightmap, bool onlyDirectional);
    // Makes the program a set-aside item (Drawable::standbyItems) will draw with
    // in this view and sends it the material's values once.
    void readyStandbyItem(View& view, const RenderItem& item);
    // The plain lit shader that stands in for a variant that failed to build, so
    // that what it draws stays visible; null without a GL context.
    ShaderProgram* fallbackProgram(const Material& material);
    RenderTarget* shadowTarget(size_t index);
    // Where the caster's items fall on the map, and the windows that store them.
    void fitCasterWindows(const View& view, ShadowCaster& caster);
    // Texels across a stored shadow texture: half the map, a quarter of its memory.
    int32_t storedShadowMapSize() const { return std::max(shadowMapSize / 2, 1); }
    glm::mat4 fitShadow(View& view, Light& light) const;

    void resetRenderState();
    // Binds the nearest-mip sampler over the material and lightmap units and the
    // clamped one over the sky cube's, or unbinds them.
    void bindMaterialSamplers(bool bind);
    // Binds the one-level lightmap sampler to the lightmap's unit, or unbinds it.
    void bindLightmapSampler(bool bind);
    // The main pass's samplers: one of the two above, as the preset reads textures.
    void bindMainPassSamplers(bool bind);
    // The clamped one-level sampler, made on first use.
    uint32_t clampedOneLevelSampler();
    // Draws the item, and sends the batch on once it holds drawsPerBatch draws.
    void drawItem(const RenderItem& item);
    // Hands what was drawn so far to the driver without waiting for it.
    void flushBatch();
    void sendProgramUniforms(View& view);
    void sendLightUniforms(View& view);
    // The sky's last mip level (0 without a sky), for the sky reflection's blur.
    float skyLastLevel() const;
    void sendShadowMaps(const View& view);
    void sendObjectUniforms(View& view, const RenderItem& item);
    void bindTexture(int32_t unit, const Texture* texture, UniformId sampler);
    void clearViewRect(const View& view);
    void copyDepth(View& view);
    bool windowDepthCopyTurnsOver();
    void forgetProgramsIfChanged();
    ShaderProgram* depthProgram();

    std::vector<std::unique_ptr<View>> views;
    // Items a view's lists have room for from the start (set by precompile).
    size_t viewItemCapacity = 0;
    std::unique_ptr<Shader> depthShader;
    std::vector<std::unique_ptr<RenderTarget>> shadowPool;
    ShadowWindowPacker shadowPacker;
    // Each caster item's texels on the light's map: scratch for fitCasterWindows.
    std::vector<glm::ivec4> casterRects;
    // Views are drawn one after the other and each fills it before its main
    // pass reads it, so one texture serves them all.
    std::unique_ptr<RenderTarget> viewDepth;
    std::vector<const Material*> warnedMaterials;
    // (material, lightmap?, shadow maps, lights, only directional lights?) to the
    // variant chosen for it; kept from frame to frame and emptied when anything
    // else the defines read changes.
    std::map<std::tuple<const Material*, bool, size_t, size_t, bool>, ShaderProgram*> programCache;
    uint32_t programCacheSignature = 0;
    RenderQuality quality = RenderQuality::High;
    std::vector<std::string> qualityDefines;
    bool normalMapsEnabled = true;
    // Whether normal maps of fine relief (Material::setFineRelief) are drawn.
    bool fineReliefDrawn = true;
    bool realtimeShadows = true;
    // Whether the preset's shaders read the view's depth (water edges, soft
    // particles); without the pre-pass the main pass then copies it.
    bool depthReadsEnabled = true;
    float particleDensity = 1.0f;
    float renderScale = 1.0f;
    bool nearestMipLevels = false;
    // Bound over the material and lightmap units during main passes when
    // nearestMipLevels is on; 0 until first needed.
    uint32_t nearestMipSampler = 0;
    // One mip level, clamped as the lightmaps and the sky cube are: the
    // lightmap's unit during main passes where nearestMipLevels is off, the sky
    // cube's where it is on; 0 until first needed (clampedOneLevelSampler).
    uint32_t clampedSampler = 0;
    SceneTarget sceneTarget;
    uint32_t frameNumber = 0;
    // Counts main passes; see ShaderProgram::viewStamp.
    uint64_t mainPassStamp = 0;
    // Draws since the last flush (see drawsPerBatch).
    uint32_t drawsInBatch = 0;
    // On a software rasteriser the main thread sorts a batch's triangles into
    // tiles faster than the rasteriser threads shade them, and each batch
    // waiting holds its sorted triangles: a send waits for the batch this many
    // sends back (the fences are GLsync objects).
    static constexpr size_t batchesInFlight = 2;
    std::array<void*, batchesInFlight> batchFences{};
    size_t nextBatchFence = 0;
    // Resolved on the first send: whether the driver is a software rasteriser.
    enum class BatchBound { Unknown, Bounded, Free } batchBound = BatchBound::Unknown;
    // Resolved on the first copy out of the window: whether its depth and
    // stencil are stored as the view's depth texture is (see copyDepth).
    enum class WindowDepthCopy { Unknown, TurnedOver, Plain } windowDepthCopy = WindowDepthCopy::Unknown;
    bool viewDepthTopDown = false;
    // Reused every frame, so that preparing a view allocates nothing.
    std::vector<Camera*> cameraScratch;
    std::vector<Drawable*> visibleScratch;

    // Uniform names, interned once.
    struct Names {
        Names();
        UniformId depthTex, depthTexTopDown, skybox, lightMap;
        UniformId frameDt, frameTotalTime;
        UniformId cameraNear, cameraFar, cameraPosition, cameraEye, cameraView, cameraProjection,
            cameraViewProjection;
        UniformId viewportX, viewportY, viewportWidth, viewportHeight;
        UniformId ambientColor, fogColor, fogColorLinear, fogStart, fogRange, brightness, normals, skyMaxLod;
        UniformId objectWorld, objectNormal, objectWorldView, objectWorldViewProjection;
        static constexpr int maxLights = 16;
        struct LightNames {
            UniformId type, radiance, position, direction, constant, linear, quadratic, innerAngle,
                outerAngle, castsShadows, shadowStrength, shadowBias, shadowMapIndex, shadowTexel;
        };
        std::array<LightNames, maxLights> lights;
        static constexpr int maxShadowMaps = 8;
        std::array<UniformId, maxShadowMaps> lightViewProjection;
        std::array<UniformId, maxShadowMaps * ShadowCaster::maxWindows> shadowWindows;
        std::array<UniformId, maxShadowMaps * ShadowCaster::maxWindows> shadowWindowShifts;
        std::array<UniformId, maxShadowMaps> shadowGrid;
        std::array<UniformId, maxShadowMaps> shadowMaps;
    };
    Names names;
    std::unique_ptr<Shader> fallbackShader;
    std::vector<const Material*> fallbackMaterials;
    float frameDt = 0.0f;
    glm::mat4 viewMatrix{1.0f};
    glm::mat4 projectionMatrix{1.0f};
    glm::mat4 viewProjectionMatrix{1.0f};
};
