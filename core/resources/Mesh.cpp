// Mesh finalisation into GL buffers, and the built-in primitives.
#include "core/resources/Mesh.h"

#include "core/platform/Log.h"
#include "core/resources/GLContext.h"
#include "core/resources/Primitives.h"
#include "core/resources/ResourceCache.h"

Mesh::Mesh(SystemRegistry* systems) : Resource(systems) {}

Mesh::~Mesh() = default;

template <typename T>
void Mesh::addBuffer(const std::vector<T>& data, const char* name, VertexAttributeType type) {
    if (data.empty()) {
        return;
    }
    ownedBuffers.push_back(std::make_unique<VertexBuffer>(std::vector<VertexAttribute>{{name, type, false}},
                                                          data.data(), static_cast<uint32_t>(data.size()),
                                                          false));
    vertexBuffers.push_back(ownedBuffers.back().get());
}

void Mesh::finalize() {
    if (positions.empty() || indices.empty()) {
        logError("Finalize was called on empty mesh '", getName(), "'.");
        return;
    }
    if (parts.empty()) {
        parts.push_back({0, static_cast<uint32_t>(indices.size())});
    }
    // Without a context (no window yet, or no display) only the CPU side is prepared.
    if (hasGLContext()) {
        addBuffer(positions, "position", VertexAttributeType::Vec3);
        addBuffer(normals, "normal", VertexAttributeType::Vec3);
        addBuffer(tangents, "tangent", VertexAttributeType::Vec3);
        addBuffer(bitangents, "bitangent", VertexAttributeType::Vec3);
        addBuffer(uv0, "uv0", VertexAttributeType::Vec2);
        addBuffer(uv1, "uv1", VertexAttributeType::Vec2);
        indexBuffer = std::make_unique<IndexBuffer>(indices.data(), static_cast<uint32_t>(indices.size()));
    }
    bounds = Bounds();
    for (const glm::vec3& position : positions) {
        bounds.add(position);
    }
}

void Mesh::releaseDrawOnlyData() {
    if (vertexBuffers.empty()) {
        return;
    }
    // swap with empty lists: clear() would keep the capacity.
    std::vector<glm::vec3>().swap(normals);
    std::vector<glm::vec3>().swap(tangents);
    std::vector<glm::vec3>().swap(bitangents);
    std::vector<glm::vec2>().swap(uv0);
    std::vector<glm::vec2>().swap(uv1);
}

void Mesh::createBuiltIns(ResourceCache& cache) {
    Mesh* cube = cache.create<Mesh>("cube");
    primitives::box(*cube, glm::vec3(1.0f));
    cube->finalize();
    Mesh* quad = cache.create<Mesh>("quad");
    primitives::quad(*quad, 1.0f, 1.0f);
    quad->finalize();
    Mesh* sphere = cache.create<Mesh>("sphere");
    primitives::sphere(*sphere, 0.5f, 12, 12);
    sphere->finalize();
    Mesh* cylinder = cache.create<Mesh>("cylinder");
    primitives::cylinder(*cylinder, 0.5f, 2.0f, 8);
    cylinder->finalize();
    Mesh* fullScreenQuad = cache.create<Mesh>("fullScreenQuad");
    primitives::quad(*fullScreenQuad, 2.0f, 2.0f);
    fullScreenQuad->finalize();
}
