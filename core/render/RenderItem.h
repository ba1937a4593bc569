// One draw of one mesh part with one material: what a Drawable hands to the
// renderer. The renderer fills in the program variant and the sort key per view.
#pragma once

#include "core/render/VertexStreams.h"

#include <glm/glm.hpp>

#include <cstdint>

class IndexBuffer;
class Material;
class ShaderProgram;
class Texture;

struct RenderItem {
    static constexpr int32_t indexed = 0;
    static constexpr int32_t instanced = 1;

    int32_t drawType = indexed;
    // The mesh's streams, plus per-instance streams for instanced draws.
    VertexStreams vertexBuffers;
    IndexBuffer* indexBuffer = nullptr;
    uint32_t first = 0;
    uint32_t count = 0;
    Material* material = nullptr;
    glm::mat4 world{1.0f};
    // For distance sorting.
    glm::vec3 position{0.0f};
    Texture* lightmap = nullptr;
    int32_t instanceCount = 1;
    ShaderProgram* program = nullptr;
    uint64_t key = 0;
    // Drawn by the depth pre-pass, so the main pass only tests against its depth.
    bool depthFirst = false;
    // A world box around everything the item draws: the renderer culls such an
    // item on its own, per pass. Items without one go wherever their drawable goes.
    bool bounded = false;
    glm::vec3 boundsMin{0.0f};
    glm::vec3 boundsMax{0.0f};
    // The same surface with fewer triangles, drawn in place of first and count
    // by views farther from the box than the renderer's far detail distance
    // (farCount 0: none).
    uint32_t farFirst = 0;
    uint32_t farCount = 0;
};
