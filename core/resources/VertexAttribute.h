// One named vertex stream element, as a shader attribute receives it.
#pragma once

#include <cstdint>
#include <string>

enum class VertexAttributeType : int32_t { Float = 0, Int = 1, Vec2 = 2, Vec3 = 3, Vec4 = 4 };

inline uint32_t attributeSize(VertexAttributeType type) {
    switch (type) {
    case VertexAttributeType::Float:
    case VertexAttributeType::Int:
        return 4;
    case VertexAttributeType::Vec2:
        return 8;
    case VertexAttributeType::Vec3:
        return 12;
    case VertexAttributeType::Vec4:
        return 16;
    }
    return 0;
}

inline int attributeComponents(VertexAttributeType type) {
    switch (type) {
    case VertexAttributeType::Vec2:
        return 2;
    case VertexAttributeType::Vec3:
        return 3;
    case VertexAttributeType::Vec4:
        return 4;
    default:
        return 1;
    }
}

struct VertexAttribute {
    std::string name;
    VertexAttributeType type = VertexAttributeType::Float;
    bool perInstance = false;
};
