// A GL element buffer of unsigned 16-bit indices.
#pragma once

#include <GL/glew.h>

#include <cstdint>

class IndexBuffer {
public:
    IndexBuffer(const uint16_t* indices, uint32_t count);
    ~IndexBuffer();
    IndexBuffer(const IndexBuffer&) = delete;
    IndexBuffer& operator=(const IndexBuffer&) = delete;

    GLuint buffer = 0;
    uint32_t count = 0;
};
