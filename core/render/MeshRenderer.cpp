// Item building, world bounds and the frustum test of mesh renderers.
#include "core/render/MeshRenderer.h"

#include "core/platform/Log.h"
#include "core/resources/Bounds.h"
#include "core/resources/Material.h"
#include "core/resources/Mesh.h"
#include "core/runtime/Entity.h"
#include "core/runtime/Transform.h"

MeshRenderer::MeshRenderer(SystemRegistry* systems, Entity* entity, Mesh* mesh,
                           std::vector<Material*> materials)
    : Drawable(systems, entity), mesh(mesh), materials(std::move(materials)) {
    watchTransform();
}

MeshRenderer::~MeshRenderer() {
    if (transformAlive()) {
        unsubscribe(watched->onChanged, this);
    }
}

void MeshRenderer::watchTransform() {
    if (entity == nullptr || watched != nullptr) {
        return;
    }
    watched = entity->getComponent<Transform>();
    if (watched != nullptr) {
        subscribe(watched->onChanged, this, &MeshRenderer::onTransformChanged);
    }
}

bool MeshRenderer::transformAlive() const {
    // The entity resets its components front to back, so a transform made before
    // this renderer may already be gone: look for it by address, never through it.
    if (watched == nullptr || entity == nullptr) {
        return false;
    }
    for (const auto& component : entity->getAllComponents()) {
        if (component.get() == watched) {
            return true;
        }
    }
    return false;
}

void MeshRenderer::onTransformChanged() {
    rebuild = true;
}

void MeshRenderer::setMesh(Mesh* newMesh) {
    mesh = newMesh;
    rebuild = true;
}

void MeshRenderer::setMaterials(std::vector<Material*> newMaterials) {
    materials = std::move(newMaterials);
    rebuild = true;
}

void MeshRenderer::setLightmap(Texture* texture) {
    lightmap = texture;
    rebuild = true;
}

void MeshRenderer::updateItems(float, Camera*) {
    if (!rebuild) {
        return;
    }
    items.clear();
    // Asking for the world matrix may create the transform; watch it from then on.
    const glm::mat4 world = getWorldMatrix();
    watchTransform();
    rebuild = false;
    if (mesh == nullptr) {
        return;
    }
    const std::vector<MeshPart>& parts = mesh->parts;
    if (materials.size() != parts.size()) {
        logInfo("Mesh '", mesh->getName(), "' has ", parts.size(), " parts, but only ", materials.size(),
                " materials were found.");
    }
    // With no material at all there is nothing to reuse for the parts: draw nothing.
    if (materials.empty() || mesh->getIndexBuffer() == nullptr) {
        return;
    }
    const glm::vec3 position(world[3]);
    for (const MeshChunk& chunk : mesh->getChunks()) {
        if (chunk.count == 0) {
            continue;
        }
        RenderItem item;
        item.drawType = RenderItem::indexed;
        item.vertexBuffers = mesh->getVertexBuffers();
        item.indexBuffer = mesh->getIndexBuffer();
        item.first = chunk.first;
        item.count = chunk.count;
        item.farFirst = chunk.farFirst;
        item.farCount = chunk.farCount;
        item.material = chunk.part < materials.size() ? materials[chunk.part] : materials.back();
        item.world = world;
        item.lightmap = lightmap;
        item.bounded = true;
        const Bounds box = chunk.bounds.transformed(world);
        item.boundsMin = box.min;
        item.boundsMax = box.max;
        // The pieces of a split mesh sort by where they are; a whole mesh by
        // where its entity is.
        item.position = mesh->isSplit() ? (item.boundsMin + item.boundsMax) * 0.5f : position;
        items.push_back(std::move(item));
    }
}

void MeshRenderer::getBounds(glm::vec3& outMin, glm::vec3& outMax) {
    outMin = glm::vec3(FLT_MAX);
    outMax = glm::vec3(-FLT_MAX);
    if (mesh == nullptr || mesh->getBounds().isEmpty()) {
        return;
    }
    const Bounds box = mesh->getBounds().transformed(getWorldMatrix());
    outMin = box.min;
    outMax = box.max;
}

bool MeshRenderer::isVisible(const Frustum& frustum) {
    glm::vec3 boxMin;
    glm::vec3 boxMax;
    getBounds(boxMin, boxMax);
    // An empty box (no mesh, or one not finalised) has nothing to show.
    if (boxMin.x > boxMax.x) {
        return false;
    }
    return frustum.intersects(boxMin, boxMax);
}
