// Index buffer creation.
#include "core/resources/IndexBuffer.h"

IndexBuffer::IndexBuffer(const uint16_t* indices, uint32_t indexCount) : count(indexCount) {
    glGenBuffers(1, &buffer);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, buffer);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(2) * count, indices, GL_STATIC_DRAW);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
}

IndexBuffer::~IndexBuffer() {
    if (buffer != 0) {
        glDeleteBuffers(1, &buffer);
    }
}
