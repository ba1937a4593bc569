// Mesh finalisation into GL buffers, and the built-in primitives.
#include "core/resources/Mesh.h"

#include "core/platform/Log.h"
#include "core/resources/GLContext.h"
#include "core/resources/Primitives.h"
#include "core/resources/ResourceCache.h"

#include <glm/gtc/type_ptr.hpp>
#include <meshoptimizer.h>

#include <algorithm>
#include <cmath>

namespace {

// Past this a cell holds too little to be worth a draw call of its own.
constexpr float maxCellsPerAxis = 32.0f;

// The cell of n along an axis that a point at share t (0 to 1) of the extent
// falls in; a NaN goes to the first.
int cellAt(float t, int n) {
    return t > 0.0f ? static_cast<int>(std::min(t * static_cast<float>(n), static_cast<float>(n - 1))) : 0;
}

// An edge as one number, whichever way round its triangle walks it.
uint32_t edgeKey(uint32_t a, uint32_t b) {
    return a < b ? (a << 16) | b : (b << 16) | a;
}

// The edges of a triangle list whose corners vertexOf maps to the mesh's
// vertices, sorted: an edge two triangles share is there twice.
template <typename Index, typename VertexOf>
void sortedEdges(const Index* list, size_t count, const VertexOf& vertexOf, std::vector<uint32_t>& edges) {
    edges.clear();
    for (size_t i = 0; i + 2 < count; i += 3) {
        for (size_t k = 0; k < 3; ++k) {
            edges.push_back(edgeKey(vertexOf(list[i + k]), vertexOf(list[i + (k + 1) % 3])));
        }
    }
    std::sort(edges.begin(), edges.end());
}

} // namespace

Mesh::Mesh(SystemRegistry* systems) : Resource(systems) {}

Mesh::~Mesh() = default;

void Mesh::addInterleavedBuffer() {
    // One buffer with every filled stream side by side per vertex: a mesh is one
    // buffer bind for the driver instead of one per stream, and a vertex's
    // attributes are read from one place.
    struct Stream {
        const float* data;
        size_t size;
        const char* name;
        VertexAttributeType type;
    };
    const Stream candidates[] = {
        {glm::value_ptr(positions.front()), positions.size(), "position", VertexAttributeType::Vec3},
        {normals.empty() ? nullptr : glm::value_ptr(normals.front()), normals.size(), "normal",
         VertexAttributeType::Vec3},
        {tangents.empty() ? nullptr : glm::value_ptr(tangents.front()), tangents.size(), "tangent",
         VertexAttributeType::Vec3},
        {bitangents.empty() ? nullptr : glm::value_ptr(bitangents.front()), bitangents.size(), "bitangent",
         VertexAttributeType::Vec3},
        {uv0.empty() ? nullptr : glm::value_ptr(uv0.front()), uv0.size(), "uv0", VertexAttributeType::Vec2},
        {uv1.empty() ? nullptr : glm::value_ptr(uv1.front()), uv1.size(), "uv1", VertexAttributeType::Vec2}};
    const size_t count = positions.size();
    std::vector<Stream> streams;
    std::vector<VertexAttribute> layout;
    size_t floatsPerVertex = 0;
    for (const Stream& stream : candidates) {
        if (stream.size == 0) {
            continue;
        }
        if (stream.size != count) {
            logError("Mesh '", getName(), "' has ", stream.size, " entries of ", stream.name, " for ", count,
                     " positions; that stream is left out.");
            continue;
        }
        streams.push_back(stream);
        layout.push_back({stream.name, stream.type, false});
        floatsPerVertex += attributeSize(stream.type) / sizeof(float);
    }
    std::vector<float> interleaved(count * floatsPerVertex);
    float* out = interleaved.data();
    for (size_t v = 0; v < count; ++v) {
        for (const Stream& stream : streams) {
            const size_t width = attributeSize(stream.type) / sizeof(float);
            std::copy_n(stream.data + v * width, width, out);
            out += width;
        }
    }
    ownedBuffers.push_back(std::make_unique<VertexBuffer>(std::move(layout), interleaved.data(),
                                                          static_cast<uint32_t>(count), false));
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
    bounds = Bounds();
    for (const glm::vec3& position : positions) {
        bounds.add(position);
    }
    std::vector<uint16_t> drawOrder;
    buildChunks(drawOrder);
    if (split && farDetailError > 0.0f) {
        buildFarRanges(drawOrder);
    }
    // Without a context (no window yet, or no display) only the CPU side is prepared.
    if (hasGLContext()) {
        addInterleavedBuffer();
        const std::vector<uint16_t>& drawn = drawOrder.empty() ? indices : drawOrder;
        indexBuffer = std::make_unique<IndexBuffer>(drawn.data(), static_cast<uint32_t>(drawn.size()));
    }
}

Bounds Mesh::boundsOf(const std::vector<uint16_t>& list, uint32_t first, uint32_t count) const {
    Bounds result;
    for (uint32_t i = first; i < first + count; ++i) {
        if (list[i] < positions.size()) {
            result.add(positions[list[i]]);
        }
    }
    // Indices past the vertices draw whatever the driver makes of them: only the
    // whole mesh's box is sure to hold it.
    return result.isEmpty() ? bounds : result;
}

void Mesh::buildChunks(std::vector<uint16_t>& drawOrder) {
    chunks.clear();
    split = false;
    const glm::vec3 size = bounds.size();
    const auto cellsAlong = [this](float extent) {
        // Written so that a NaN extent or size keeps the part whole.
        if (!(chunkSize > 0.0f && extent >= 2.0f * chunkSize)) {
            return 1;
        }
        return static_cast<int>(std::min(extent / chunkSize, maxCellsPerAxis));
    };
    int cellsX = cellsAlong(size.x);
    int cellsZ = cellsAlong(size.z);
    // Only whole triangles in parts that follow one another can be moved within
    // their parts without moving another part's indices.
    uint32_t end = 0;
    for (const MeshPart& part : parts) {
        if (part.first < end || part.first > indices.size() || part.count > indices.size() - part.first ||
            part.count % 3 != 0) {
            cellsX = 1;
            cellsZ = 1;
        }
        end = part.first + part.count;
    }
    const auto cells = static_cast<size_t>(cellsX * cellsZ);
    std::vector<uint32_t> cellOf;
    std::vector<uint32_t> start;
    std::vector<uint32_t> next;
    for (uint32_t p = 0; p < parts.size(); ++p) {
        const MeshPart& part = parts[p];
        if (cells == 1) {
            chunks.push_back({p, part.first, part.count, boundsOf(indices, part.first, part.count)});
            continue;
        }
        if (drawOrder.empty()) {
            drawOrder = indices;
        }
        split = true;
        // A counting sort by cell keeps each cell's triangles in the producer's
        // order, which the vertex cache was built for.
        const uint32_t triangles = part.count / 3;
        cellOf.assign(triangles, 0);
        start.assign(cells + 1, 0);
        for (uint32_t t = 0; t < triangles; ++t) {
            const uint16_t* corner = &indices[part.first + 3 * t];
            glm::vec3 centre(0.0f);
            for (int k = 0; k < 3; ++k) {
                centre += corner[k] < positions.size() ? positions[corner[k]] : bounds.min;
            }
            centre = centre / 3.0f - bounds.min;
            // An axis of one cell may have no extent to divide by.
            const int x = cellsX > 1 ? cellAt(centre.x / size.x, cellsX) : 0;
            const int z = cellsZ > 1 ? cellAt(centre.z / size.z, cellsZ) : 0;
            cellOf[t] = static_cast<uint32_t>(z * cellsX + x);
            ++start[cellOf[t] + 1];
        }
        for (size_t c = 0; c < cells; ++c) {
            start[c + 1] += start[c];
        }
        next.assign(start.begin(), start.end() - 1);
        for (uint32_t t = 0; t < triangles; ++t) {
            const uint32_t to = part.first + 3 * next[cellOf[t]]++;
            std::copy_n(&indices[part.first + 3 * t], 3, &drawOrder[to]);
        }
        for (size_t c = 0; c < cells; ++c) {
            if (start[c + 1] > start[c]) {
                const uint32_t first = part.first + 3 * start[c];
                const uint32_t count = 3 * (start[c + 1] - start[c]);
                chunks.push_back({p, first, count, boundsOf(drawOrder, first, count)});
            }
        }
    }
}

void Mesh::buildFarRanges(std::vector<uint16_t>& drawOrder) {
    const size_t vertexCount = positions.size();
    // Each chunk is simplified on its own vertices, numbered from 0, so that the
    // work follows the chunk's size rather than the mesh's.
    std::vector<int32_t> localOf(vertexCount, -1);
    std::vector<uint16_t> vertexOf;
    std::vector<glm::vec3> localPositions;
    std::vector<unsigned int> local;
    std::vector<unsigned int> simplified;
    std::vector<uint32_t> meshEdges;
    std::vector<uint32_t> chunkEdges;
    std::vector<uint32_t> sharedEdges;
    std::vector<uint32_t> farEdges;
    const auto itself = [](uint16_t v) { return v; };
    sortedEdges(drawOrder.data(), drawOrder.size(), itself, meshEdges);
    for (MeshChunk& chunk : chunks) {
        if (chunk.count == 0 || chunk.count % 3 != 0) {
            continue;
        }
        vertexOf.clear();
        localPositions.clear();
        local.clear();
        bool whole = true;
        for (uint32_t i = chunk.first; i < chunk.first + chunk.count; ++i) {
            const uint16_t v = drawOrder[i];
            if (v >= vertexCount) {
                whole = false;
                break;
            }
            if (localOf[v] < 0) {
                localOf[v] = static_cast<int32_t>(vertexOf.size());
                vertexOf.push_back(v);
                localPositions.push_back(positions[v]);
            }
            local.push_back(static_cast<unsigned int>(localOf[v]));
        }
        for (const uint16_t v : vertexOf) {
            localOf[v] = -1;
        }
        // Indices past the vertices, NaN or infinity: a broken file's chunk has
        // nothing to simplify.
        if (!whole || !std::all_of(localPositions.begin(), localPositions.end(),
                                   [](const glm::vec3& p) { return std::isfinite(p.x + p.y + p.z); })) {
            continue;
        }
        // The error is asked for as a share of the chunk's extent; a chunk of
        // one point has none.
        const float scale = meshopt_simplifyScale(glm::value_ptr(localPositions.front()),
                                                  localPositions.size(), sizeof(glm::vec3));
        if (!(scale > 0.0f)) {
            continue;
        }
        const auto toMesh = [&vertexOf](unsigned int v) { return vertexOf[v]; };
        // The edges only one of the chunk's triangles has and a triangle outside
        // it has too: where it meets a neighbour.
        sortedEdges(local.data(), local.size(), toMesh, chunkEdges);
        sharedEdges.clear();
        for (auto edge = chunkEdges.begin(); edge != chunkEdges.end();) {
            const auto next = std::upper_bound(edge, chunkEdges.end(), *edge);
            const auto inMesh = std::equal_range(meshEdges.begin(), meshEdges.end(), *edge);
            if (next - edge == 1 && inMesh.second - inMesh.first > 1) {
                sharedEdges.push_back(*edge);
            }
            edge = next;
        }
        // The chunk's own open edges (a barrier's top and foot, the road's skirts:
        // strips whose every vertex is on one) may move within the error: locked,
        // a strip keeps every triangle. The shared ones may not; if the simplifier
        // lost one, the range is made again with every open edge locked.
        simplified.resize(local.size());
        size_t kept = meshopt_simplify(simplified.data(), local.data(), local.size(),
                                       glm::value_ptr(localPositions.front()), localPositions.size(),
                                       sizeof(glm::vec3), 0, farDetailError / scale, 0);
        sortedEdges(simplified.data(), kept, toMesh, farEdges);
        if (!std::includes(farEdges.begin(), farEdges.end(), sharedEdges.begin(), sharedEdges.end())) {
            kept = meshopt_simplify(simplified.data(), local.data(), local.size(),
                                    glm::value_ptr(localPositions.front()), localPositions.size(),
                                    sizeof(glm::vec3), 0, farDetailError / scale, meshopt_SimplifyLockBorder);
        }
        // A range hardly smaller is not worth the indices.
        if (kept == 0 || kept * 10 > local.size() * 9) {
            continue;
        }
        chunk.farFirst = static_cast<uint32_t>(drawOrder.size());
        chunk.farCount = static_cast<uint32_t>(kept);
        for (size_t i = 0; i < kept; ++i) {
            drawOrder.push_back(vertexOf[simplified[i]]);
        }
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
