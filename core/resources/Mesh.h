// Indexed triangle geometry: CPU-side lists filled by a producer (scene import,
// the primitive generators), then finalised into one interleaved GL vertex
// buffer and a 16-bit index buffer. Parts split the indices by material;
// chunks split the parts of big meshes by place, so that views draw only the
// cells they see.
#pragma once

#include "core/resources/Bounds.h"
#include "core/resources/IndexBuffer.h"
#include "core/resources/MeshChunk.h"
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

    // Builds the GL buffers (one vertex buffer interleaving "position", "normal",
    // "tangent", "bitangent", "uv0" and "uv1" for each non-empty list; a list
    // whose length differs from the positions' is logged and left out), one
    // part over all indices when there are no parts, the bounds and the chunks.
    // An empty mesh is logged and keeps no buffers. Meant to be called once: a
    // second call appends another vertex buffer.
    //
    // A mesh at least two chunk sizes wide over X or Z is cut into a grid of
    // cells: the GL index buffer holds each part's triangles grouped by the cell
    // their centre lies in, one chunk per non-empty (part, cell), cells in rows
    // along X. The index list here keeps the producer's order (physics and
    // queries read it), and each part keeps its range in both. A smaller mesh
    // has one chunk per part, over the part's range.
    //
    // Each chunk of a cut mesh also gets a far range (farFirst, farCount): its
    // triangles simplified to within farDetailError metres, the edges it shares
    // with the rest of the mesh (other chunks, other parts) kept as they are, so
    // that near and far chunks still meet without gaps. Only the drawn index
    // buffer holds them; the index list keeps the full detail.
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
    // Part by part, each part's chunks in the order of the GL index buffer.
    const std::vector<MeshChunk>& getChunks() const { return chunks; }
    // Whether finalize cut the parts into more than one cell.
    bool isSplit() const { return split; }

    // Chunks cover about this many metres a side; read by finalize (0 or less
    // keeps every part whole). On the race track, 32 sends an eighth fewer
    // triangles through every pass than 64 for a tenth more draws; 16 saves
    // little more for a third more draws again.
    static constexpr float defaultChunkSize = 32.0f;
    float chunkSize = defaultChunkSize;
    // How far, in metres, a chunk's far range may stray from its full detail (0
    // or less: no far ranges). Read by finalize.
    static constexpr float defaultFarDetailError = 0.25f;
    float farDetailError = defaultFarDetailError;

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
    void addInterleavedBuffer();
    // Fills chunks, and drawOrder with the indices in chunk order (left empty
    // when no part is cut).
    void buildChunks(std::vector<uint16_t>& drawOrder);
    // Appends each chunk's far range to drawOrder.
    void buildFarRanges(std::vector<uint16_t>& drawOrder);
    Bounds boundsOf(const std::vector<uint16_t>& list, uint32_t first, uint32_t count) const;

    std::vector<std::unique_ptr<VertexBuffer>> ownedBuffers;
    std::vector<VertexBuffer*> vertexBuffers;
    std::unique_ptr<IndexBuffer> indexBuffer;
    Bounds bounds;
    std::vector<MeshChunk> chunks;
    bool split = false;
};
