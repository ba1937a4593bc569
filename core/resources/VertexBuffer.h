// A GL array buffer with the layout of the attributes it holds, interleaved.
#pragma once

#include "core/resources/VertexAttribute.h"

#include <GL/glew.h>

#include <cstdint>
#include <vector>

class VertexBuffer {
public:
    VertexBuffer(std::vector<VertexAttribute> layout, const void* data, uint32_t count, bool dynamic);
    ~VertexBuffer();
    VertexBuffer(const VertexBuffer&) = delete;
    VertexBuffer& operator=(const VertexBuffer&) = delete;

    // Replaces the contents with count vertices, keeping the buffer's name; the
    // storage grows when they do not fit.
    void update(const void* data, uint32_t count);

    uint32_t stride() const;
    uint32_t offsetOf(size_t attributeIndex) const;
    // How many buffers have been deleted so far: GL may hand a deleted buffer's
    // name to a new one, so whoever remembers what names point at starts over
    // when this moves.
    static uint64_t deletions() { return deleted; }

    GLuint buffer = 0;
    std::vector<VertexAttribute> layout;
    uint32_t count = 0;
    // Vertices the storage holds.
    uint32_t capacity = 0;

private:
    static inline uint64_t deleted = 0;
};
