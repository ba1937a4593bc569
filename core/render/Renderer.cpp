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
#include "core/resources/IndexBuffer.h"
#include "core/resources/Material.h"
#include "core/resources/Shader.h"
#include "core/resources/Texture.h"
#include "core/resources/Texture2D.h"
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

} // namespace

Renderer::Renderer(SystemRegistry* systems)
    : System(systems), engine(systems->get<Engine>()), graphics(systems->get<Graphics>()),
      depthShader(std::make_unique<Shader>(systems, "core/shaders/depth.vert", "core/shaders/depth.frag")) {}

Renderer::~Renderer() = default;

void Renderer::render(Scene& scene, float dt) {
    syncViews(scene);
    for (const auto& view : views) {
        prepare(*view, scene, dt);
    }
    for (const auto& view : views) {
        renderShadowMaps(*view);
        renderDepthPrePass(*view);
        renderMainPass(*view);
    }
}

// ---------------------------------------------------------------- views

void Renderer::syncViews(Scene& scene) {
    std::vector<Camera*> cameras;
    for (Component* component : scene.getComponents()) {
        auto* camera = dynamic_cast<Camera*>(component);
        if (enabledOnActiveEntity(camera)) {
            cameras.push_back(camera);
        }
    }
    views.erase(std::remove_if(views.begin(), views.end(),
                               [&](const std::unique_ptr<View>& view) {
                                   return std::find(cameras.begin(), cameras.end(), view->camera) == cameras.end();
                               }),
                views.end());
    for (Camera* camera : cameras) {
        if (findView(camera) == nullptr) {
            views.push_back(std::make_unique<View>(camera, graphics, this));
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
    views.erase(std::remove_if(views.begin(), views.end(),
                               [camera](const std::unique_ptr<View>& view) { return view->camera == camera; }),
                views.end());
}

// ---------------------------------------------------------------- preparation

void Renderer::prepare(View& view, Scene& scene, float dt) {
    frameDt = dt;
    view.clear();
    view.updateViewport();
    programCache.clear();
    std::vector<Drawable*> visible;
    collect(view, scene, visible);
    addShadowCasters(view);
    addItems(view, visible, dt);
    view.sort(view.camera->getPosition());
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
        if (light->type != Light::directional || !light->castsShadows) {
            continue;
        }
        ShadowCaster caster;
        caster.light = light;
        caster.target = shadowTarget(view.shadowCasters.size());
        caster.lightViewProjection = fitShadow(view, *light);
        light->shadowMap = caster.target;
        view.shadowCasters.push_back(std::move(caster));
    }
}

RenderTarget* Renderer::shadowTarget(size_t index) {
    // Views are drawn one after the other, so the k-th shadow map of every view
    // can share one target: each is consumed by its view's main pass before the
    // next view's shadow pass overwrites it.
    while (shadowPool.size() <= index) {
        auto target = std::make_unique<RenderTarget>(systems);
        if (graphics != nullptr && graphics->hasWindow()) {
            target->addDepthTexture(shadowMapSize, shadowMapSize);
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
            const float t = glm::clamp((light.shadowDistance - nearDepth) / (farDepth - nearDepth), 0.0f, 1.0f);
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
                                                size_t lights) const {
    std::vector<std::string> defines;
    if (shadowsEnabled && material.getReceivesShadows()) {
        defines.emplace_back("SHADOW");
        defines.push_back("NUM_SHADOWMAPS " + std::to_string(shadowMaps));
    }
    defines.push_back("NUM_LIGHTS " + std::to_string(lights));
    if (hasLightmap && lightmapsEnabled) {
        defines.emplace_back("LIGHTMAP");
    }
    for (const std::string& define : material.getDefines()) {
        defines.push_back(define);
    }
    return defines;
}

uint64_t Renderer::sortKey(const void* program, const void* material, const void* mesh) {
    return (identity16(program) << 48) | (identity16(material) << 32) | (identity16(mesh) << 16);
}

ShaderProgram* Renderer::programFor(View& view, Material& material, bool hasLightmap) {
    const auto cacheKey = std::make_pair(static_cast<const Material*>(&material), hasLightmap);
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
        program = shader->getProgram(buildDefines(material, hasLightmap, view.shadowCasters.size(), view.lights.size()));
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
    for (Drawable* drawable : visible) {
        drawable->updateItems(dt, view.camera);
        for (const RenderItem& source : drawable->items) {
            if (source.material == nullptr) {
                continue;
            }
            Material& material = *source.material;
            ShaderProgram* program = programFor(view, material, source.lightmap != nullptr);
            if (program == nullptr) {
                continue;
            }
            const auto index = static_cast<uint32_t>(view.items.size());
            view.items.push_back(source);
            RenderItem& item = view.items.back();
            item.program = program;
            item.key = sortKey(program, &material, item.indexBuffer);
            const auto queue = static_cast<size_t>(std::clamp(material.getRenderQueue(), 0, 5));
            view.queues[queue].push_back(index);
            if (queue == 0) {
                view.depthList.push_back(index);
            }
            if (material.getCastsShadows()) {
                for (ShadowCaster& caster : view.shadowCasters) {
                    caster.items.push_back(index);
                }
            }
        }
    }
    // Shadow maps have no required order: group by mesh to save attribute setup.
    for (ShadowCaster& caster : view.shadowCasters) {
        std::stable_sort(caster.items.begin(), caster.items.end(), [&view](uint32_t a, uint32_t b) {
            return view.items[a].indexBuffer < view.items[b].indexBuffer;
        });
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
                          item.drawType == RenderItem::instanced ? static_cast<uint32_t>(item.instanceCount) : 1u);
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
        caster.target->bind();
        graphics->setViewport(0, 0, shadowMapSize, shadowMapSize);
        graphics->setDepthWrite(true);
        glClear(GL_DEPTH_BUFFER_BIT);
        if (program == nullptr) {
            continue;
        }
        resetRenderState();
        graphics->useProgram(program);
        // Casters between the light and the fitted box would be clipped away by
        // the near plane; clamping flattens them onto it so they still cast.
        glEnable(GL_DEPTH_CLAMP);
        for (uint32_t index : caster.items) {
            const RenderItem& item = view.items[index];
            graphics->setUniform("object.worldViewProjection", caster.lightViewProjection * item.world);
            graphics->bindBuffers(item.vertexBuffers, item.indexBuffer);
            drawItem(item);
        }
        glDisable(GL_DEPTH_CLAMP);
    }
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
}

void Renderer::renderDepthPrePass(View& view) {
    // Without a depth target there is nothing that could read the result.
    if (graphics == nullptr || !graphics->hasWindow() || view.depthTarget == nullptr) {
        return;
    }
    view.depthTarget->bind();
    graphics->setViewport(0, 0, view.viewport.z, view.viewport.w);
    graphics->setDepthWrite(true);
    glClear(GL_DEPTH_BUFFER_BIT);
    ShaderProgram* program = depthProgram();
    if (program != nullptr) {
        resetRenderState();
        graphics->useProgram(program);
        const glm::mat4 viewProjection = view.camera->getViewProjection();
        for (uint32_t index : view.depthList) {
            const RenderItem& item = view.items[index];
            graphics->setUniform("object.worldViewProjection", viewProjection * item.world);
            graphics->bindBuffers(item.vertexBuffers, item.indexBuffer);
            drawItem(item);
        }
    }
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
}

void Renderer::renderMainPass(View& view) {
    if (graphics == nullptr || !graphics->hasWindow()) {
        return;
    }
    const glm::ivec4& v = view.viewport;
    // Set unconditionally: other code (the UI) may have called glViewport itself.
    graphics->viewport = {v.x, v.y, v.z, v.w};
    glViewport(v.x, v.y, v.z, v.w);
    const glm::vec3& clear = view.camera->clearColor;
    glClearColor(clear.r, clear.g, clear.b, 1.0f);
    graphics->setDepthWrite(true);
    glEnable(GL_SCISSOR_TEST);
    glScissor(v.x, v.y, v.z, v.w);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glDisable(GL_SCISSOR_TEST);
    resetRenderState();

    viewMatrix = view.camera->getView();
    projectionMatrix = view.camera->getProjection();
    // Changes are detected on the objects themselves, not on their 16-bit key
    // identities, so two materials that happen to share key bits are both applied.
    const ShaderProgram* lastProgram = nullptr;
    const Material* lastMaterial = nullptr;
    const Texture* lastLightmap = nullptr;
    bool first = true;
    for (const auto& queue : view.queues) {
        for (uint32_t index : queue) {
            const RenderItem& item = view.items[index];
            const bool programChanged = first || item.program != lastProgram;
            const bool materialChanged = programChanged || item.material != lastMaterial;
            first = false;
            if (programChanged) {
                graphics->useProgram(item.program);
                sendProgramUniforms(view);
            }
            if (materialChanged) {
                item.material->applyRenderState(*graphics, wireframe);
                item.material->sendUniforms(*graphics);
                item.material->bindTextures(*graphics);
                if (shadowsEnabled && item.material->getReceivesShadows()) {
                    sendShadowMaps(view);
                }
            }
            sendObjectUniforms(view, item);
            // The cache compares the streams itself; instanced items may share an
            // index buffer but not their per-instance streams.
            graphics->bindBuffers(item.vertexBuffers, item.indexBuffer);
            if (item.lightmap != nullptr && lightmapsEnabled && (programChanged || item.lightmap != lastLightmap)) {
                bindTexture(lightmapTextureUnit, item.lightmap, "lightMap");
                lastLightmap = item.lightmap;
            }
            drawItem(item);
            lastProgram = item.program;
            lastMaterial = item.material;
        }
    }
}

void Renderer::bindTexture(int32_t unit, const Texture* texture, const std::string& sampler) {
    texture->bind(static_cast<uint32_t>(unit));
    graphics->setUniform(sampler, unit);
}

void Renderer::sendProgramUniforms(View& view) {
    Camera& camera = *view.camera;
    if (view.depthTarget != nullptr && view.depthTarget->depthTexture != nullptr) {
        bindTexture(depthTextureUnit, view.depthTarget->depthTexture, "depthTex");
    }
    if (skyTexture != nullptr) {
        bindTexture(skyboxTextureUnit, skyTexture, "skybox");
    }
    graphics->setUniform("frame.dt", frameDt);
    graphics->setUniform("frame.totalTime", engine != nullptr ? engine->time : 0.0f);
    graphics->setUniform("camera.near", camera.near);
    graphics->setUniform("camera.far", camera.far);
    graphics->setUniform("camera.position", camera.getPosition());
    graphics->setUniform("camera.eye", camera.getEye());
    graphics->setUniform("camera.view", viewMatrix);
    graphics->setUniform("camera.projection", projectionMatrix);
    graphics->setUniform("camera.viewProjection", projectionMatrix * viewMatrix);
    graphics->setUniform("viewport.x", static_cast<float>(view.viewport.x));
    graphics->setUniform("viewport.y", static_cast<float>(view.viewport.y));
    graphics->setUniform("viewport.width", static_cast<float>(view.viewport.z));
    graphics->setUniform("viewport.height", static_cast<float>(view.viewport.w));
    sendLightUniforms(view);
    graphics->setUniform("ambientColor", ambientColor);
    graphics->setUniform("fogColor", fogColor);
    graphics->setUniform("fogStart", fogStart);
    graphics->setUniform("fogRange", fogRange);
    graphics->setUniform("brightness", brightness);
    graphics->setUniform("normals", normalsEnabled);
}

void Renderer::sendLightUniforms(View& view) {
    for (size_t i = 0; i < view.lights.size(); ++i) {
        Light& light = *view.lights[i];
        const int n = static_cast<int>(i);
        int shadowMapIndex = -1;
        for (size_t k = 0; k < view.shadowCasters.size(); ++k) {
            if (view.shadowCasters[k].light == &light) {
                shadowMapIndex = static_cast<int>(k);
            }
        }
        graphics->setUniform("lights", n, "type", static_cast<int>(light.type));
        graphics->setUniform("lights", n, "color", light.color);
        graphics->setUniform("lights", n, "position", light.getWorldPosition());
        graphics->setUniform("lights", n, "direction", light.getWorldDirection());
        graphics->setUniform("lights", n, "intensity", light.intensity);
        graphics->setUniform("lights", n, "constant", light.constant);
        graphics->setUniform("lights", n, "linear", light.linear);
        graphics->setUniform("lights", n, "quadratic", light.quadratic);
        graphics->setUniform("lights", n, "innerAngle", light.innerAngle);
        graphics->setUniform("lights", n, "outerAngle", light.outerAngle);
        graphics->setUniform("lights", n, "castsShadows", light.castsShadows);
        graphics->setUniform("lights", n, "shadowStrength", light.shadowStrength);
        graphics->setUniform("lights", n, "shadowBias", light.shadowBias);
        graphics->setUniform("lights", n, "shadowMapIndex", shadowMapIndex);
    }
}

void Renderer::sendShadowMaps(const View& view) {
    for (size_t i = 0; i < view.shadowCasters.size(); ++i) {
        const ShadowCaster& caster = view.shadowCasters[i];
        const int n = static_cast<int>(i);
        graphics->setUniform("lightViewProjection", n, caster.lightViewProjection);
        if (caster.target->depthTexture != nullptr) {
            caster.target->depthTexture->bind(static_cast<uint32_t>(firstShadowMapUnit + n));
        }
        graphics->setUniform("shadowMaps", n, firstShadowMapUnit + n);
    }
}

void Renderer::sendObjectUniforms(View&, const RenderItem& item) {
    const glm::mat4 worldView = viewMatrix * item.world;
    graphics->setUniform("object.world", item.world);
    graphics->setUniform("object.normal", glm::transpose(glm::inverse(item.world)));
    graphics->setUniform("object.worldView", worldView);
    graphics->setUniform("object.worldViewProjection", projectionMatrix * worldView);
}
