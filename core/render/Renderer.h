// The forward renderer: keeps one View per enabled camera of the scene and draws
// each view in turn: shadow maps for its shadow-casting directional lights, a
// depth pre-pass into the view's depth texture, then six sorted queues into the
// view's viewport, sending uniforms by the shaders' naming contract.
#pragma once

#include "core/runtime/System.h"

#include <glm/glm.hpp>

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <utility>
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
class View;
struct RenderItem;

class Renderer : public System {
public:
    static constexpr int32_t depthTextureUnit = 10;
    static constexpr int32_t skyboxTextureUnit = 11;
    static constexpr int32_t lightmapTextureUnit = 9;
    static constexpr int32_t firstShadowMapUnit = 13;

    explicit Renderer(SystemRegistry* systems);
    ~Renderer() override;

    // Views in line with the scene's cameras, every view prepared, then per view
    // its shadow maps, depth pre-pass and main pass.
    void render(Scene& scene, float dt);

    // The frame's steps, public so tests and tools can drive them one at a time.
    void syncViews(Scene& scene);
    void prepare(View& view, Scene& scene, float dt);
    void renderShadowMaps(View& view);
    void renderDepthPrePass(View& view);
    void renderMainPass(View& view);

    // Renderer defines for one item, in the order the shaders expect:
    // "SHADOW", "NUM_SHADOWMAPS n", "NUM_LIGHTS n", "LIGHTMAP", then the material's own.
    std::vector<std::string> buildDefines(const Material& material, bool hasLightmap, size_t shadowMaps,
                                          size_t lights) const;
    // Groups items by program, then material, then mesh (16 bits of identity each).
    static uint64_t sortKey(const void* program, const void* material, const void* mesh);

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
    // Set by the skybox; every program gets it as "skybox".
    Texture* skyTexture = nullptr;

private:
    void collect(View& view, Scene& scene, std::vector<Drawable*>& visible) const;
    void addShadowCasters(View& view);
    void addItems(View& view, const std::vector<Drawable*>& visible, float dt);
    ShaderProgram* programFor(View& view, Material& material, bool hasLightmap);
    // The plain lit shader that stands in for a variant that failed to build, so
    // that what it draws stays visible; null without a GL context.
    ShaderProgram* fallbackProgram(const Material& material);
    RenderTarget* shadowTarget(size_t index);
    glm::mat4 fitShadow(View& view, Light& light) const;

    void resetRenderState();
    void drawItem(const RenderItem& item);
    void sendProgramUniforms(View& view);
    void sendLightUniforms(View& view);
    void sendShadowMaps(const View& view);
    void sendObjectUniforms(View& view, const RenderItem& item);
    void bindTexture(int32_t unit, const Texture* texture, const std::string& sampler);
    ShaderProgram* depthProgram();

    std::vector<std::unique_ptr<View>> views;
    std::unique_ptr<Shader> depthShader;
    std::vector<std::unique_ptr<RenderTarget>> shadowPool;
    std::vector<const Material*> warnedMaterials;
    // Per view and frame: (material, lightmap?) to the variant chosen for it.
    std::map<std::pair<const Material*, bool>, ShaderProgram*> programCache;
    std::unique_ptr<Shader> fallbackShader;
    std::vector<const Material*> fallbackMaterials;
    float frameDt = 0.0f;
    glm::mat4 viewMatrix{1.0f};
    glm::mat4 projectionMatrix{1.0f};
};
