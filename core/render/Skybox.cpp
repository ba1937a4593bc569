// The sky's material, its one item and the renderer's sky texture.
#include "core/render/Skybox.h"

#include "core/render/Renderer.h"
#include "core/resources/Material.h"
#include "core/resources/Mesh.h"
#include "core/resources/ResourceCache.h"
#include "core/resources/Shader.h"
#include "core/resources/TextureCube.h"
#include "core/runtime/SystemRegistry.h"

namespace {

Shader* skyboxShader(ResourceCache& cache) {
    if (Shader* shader = cache.get<Shader>("skybox")) {
        return shader;
    }
    Shader* shader = cache.create<Shader>("skybox");
    shader->load("core/shaders/skybox.vert", "core/shaders/skybox.frag");
    return shader;
}

} // namespace

Skybox::Skybox(SystemRegistry* systems, Entity* entity)
    : Drawable(systems, entity), material(std::make_unique<Material>(systems)) {
    // Seen from inside, behind whatever the opaque queues drew.
    material->setRenderQueue(2);
    material->setDepthFunc(DepthFunc::LessEqual);
    material->setCullMode(CullMode::Front);
    // The cube is drawn around the camera: in a shadow map it would be a box at the origin.
    material->setCastsShadows(false);
    material->setReceivesShadows(false);
    if (auto* cache = systems != nullptr ? systems->get<ResourceCache>() : nullptr) {
        cube = cache->get<Mesh>("cube");
        material->setShader(skyboxShader(*cache));
    }
}

Skybox::~Skybox() {
    // The sky leaves with its scene; reflections elsewhere must not keep it.
    auto* renderer = systems != nullptr ? systems->get<Renderer>() : nullptr;
    if (renderer != nullptr && texture != nullptr && renderer->skyTexture == texture) {
        renderer->skyTexture = nullptr;
    }
}

void Skybox::setTexture(TextureCube* cubeMap) {
    items.clear();
    auto* renderer = systems != nullptr ? systems->get<Renderer>() : nullptr;
    if (renderer != nullptr && (cubeMap != nullptr || renderer->skyTexture == texture)) {
        renderer->skyTexture = cubeMap;
    }
    texture = cubeMap;
    material->setTexture("skyboxTex", cubeMap);
    if (cubeMap == nullptr || cube == nullptr || cube->getIndexBuffer() == nullptr) {
        return;
    }
    RenderItem item;
    item.drawType = RenderItem::indexed;
    item.vertexBuffers = cube->getVertexBuffers();
    item.indexBuffer = cube->getIndexBuffer();
    item.first = 0;
    item.count = static_cast<uint32_t>(cube->indices.size());
    item.material = material.get();
    item.world = glm::mat4(1.0f);
    items.push_back(std::move(item));
}
