// Vertex buffer creation and layout arithmetic.
#include "core/resources/VertexBuffer.h"

VertexBuffer::VertexBuffer(std::vector<VertexAttribute> attributes, const void* data, uint32_t vertexCount,
                           bool dynamic)
    : layout(std::move(attributes)), count(vertexCount), capacity(vertexCount) {
    glGenBuffers(1, &buffer);
    glBindBuffer(GL_ARRAY_BUFFER, buffer);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(stride()) * count, data,
                 dynamic ? GL_DYNAMIC_DRAW : GL_STATIC_DRAW);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
}

void VertexBuffer::update(const void* data, uint32_t newCount) {
    glBindBuffer(GL_ARRAY_BUFFER, buffer);
    const auto bytes = static_cast<GLsizeiptr>(stride()) * newCount;
    if (newCount > capacity) {
        glBufferData(GL_ARRAY_BUFFER, bytes, data, GL_DYNAMIC_DRAW);
        capacity = newCount;
    } else {
        glBufferSubData(GL_ARRAY_BUFFER, 0, bytes, data);
    }
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    count = newCount;
}

VertexBuffer::~VertexBuffer() {
    if (buffer != 0) {
        glDeleteBuffers(1, &buffer);
        ++deleted;
    }
}

uint32_t VertexBuffer::stride() const {
    return offsetOf(layout.size());
}

uint32_t VertexBuffer::offsetOf(size_t attributeIndex) const {
    uint32_t offset = 0;
    for (size_t i = 0; i < attributeIndex && i < layout.size(); ++i) {
        offset += attributeSize(layout[i].type);
    }
    return offset;
}
