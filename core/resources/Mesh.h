// Indexed triangle geometry: CPU-side lists filled by a producer (scene import,
// the primitive generators), then finalised into one GL vertex buffer per
// attribute and a 16-bit index buffer. Parts split the indices by material.
#pragma once

#include "core/resources/Bounds.h"
#include "core/resources/IndexBuffer.h"
#include "core/resources/MeshPart.h"
#include "core/resources/Resource.h"
#include "core/resources/VertexBuffer.h"

#include <glm/glm.hpp>

#include <cstdint>
#include <memory>
#include <vector>

class ResourceCache;

class Mesh : public Resource {
public:
    explicit Mesh(SystemRegistry* systems);
    ~Mesh() override;

    // Builds the GL buffers ("position", "normal", "tangent", "bitangent", "uv0",
    // "uv1" for each non-empty list), one part over all indices when there are no
    // parts, and the bounds. An empty mesh is logged and keeps no buffers. Meant
    // to be called once: a second call appends another set of vertex buffers.
    void finalize();

    // Frees the lists only drawing reads (normals, tangents, bitangents, uv0, uv1)
    // once finalize has copied them into GL buffers; positions, indices and parts
    // stay for physics, bounds and queries. Without GL buffers it does nothing.
    void releaseDrawOnlyData();

    const std::vector<VertexBuffer*>& getVertexBuffers() const { return vertexBuffers; }
    IndexBuffer* getIndexBuffer() const { return indexBuffer.get(); }
    const Bounds& getBounds() const { return bounds; }
    size_t getVertexCount() const { return positions.size(); }
    size_t getTriangleCount() const { return indices.size() / 3; }

    // The primitives "cube", "quad", "sphere", "cylinder" and "fullScreenQuad".
    static void createBuiltIns(ResourceCache& cache);

    std::vector<glm::vec3> positions;
    std::vector<glm::vec3> normals;
    std::vector<glm::vec3> tangents;
    std::vector<glm::vec3> bitangents;
    std::vector<glm::vec2> uv0;
    std::vector<glm::vec2> uv1;
    std::vector<uint16_t> indices;
    std::vector<MeshPart> parts;

private:
    template <typename T>
    void addBuffer(const std::vector<T>& data, const char* name, VertexAttributeType type);

    std::vector<std::unique_ptr<VertexBuffer>> ownedBuffers;
    std::vector<VertexBuffer*> vertexBuffers;
    std::unique_ptr<IndexBuffer> indexBuffer;
    Bounds bounds;
};
