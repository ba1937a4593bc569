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

    uint32_t stride() const;
    uint32_t offsetOf(size_t attributeIndex) const;

    GLuint buffer = 0;
    std::vector<VertexAttribute> layout;
    uint32_t count = 0;
};
