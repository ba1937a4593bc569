// A uniform value a material sends: an integer, a float, a vec3 or a vec4,
// tagged with its type so the matching glUniform call is chosen.
#pragma once

#include <glm/glm.hpp>

#include <cstdint>

class MaterialValue {
public:
    // Tag values as stored: None is never sent.
    enum class Type : int32_t { None = 0, Int = 1, Float = 2, Vec3 = 3, Vec4 = 4 };

    MaterialValue() = default;
    MaterialValue(int32_t value) : type(Type::Int), intValue(value) {}
    MaterialValue(float value) : type(Type::Float), vector(value, 0.0f, 0.0f, 0.0f) {}
    // Literals such as 0.5 are floats here rather than an ambiguity.
    MaterialValue(double value) : MaterialValue(static_cast<float>(value)) {}
    MaterialValue(const glm::vec3& value) : type(Type::Vec3), vector(value, 0.0f) {}
    MaterialValue(const glm::vec4& value) : type(Type::Vec4), vector(value) {}

    Type getType() const { return type; }
    int32_t asInt() const { return intValue; }
    float asFloat() const { return vector.x; }
    glm::vec3 asVec3() const { return glm::vec3(vector); }
    const glm::vec4& asVec4() const { return vector; }

    bool operator==(const MaterialValue& other) const {
        return type == other.type && intValue == other.intValue && vector == other.vector;
    }
    bool operator!=(const MaterialValue& other) const { return !(*this == other); }

private:
    Type type = Type::None;
    int32_t intValue = 0;
    glm::vec4 vector{0.0f};
};
