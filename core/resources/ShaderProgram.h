// One compiled and linked variant of a Shader for one set of defines, with its
// active uniforms and attributes and a cache of uniform locations.
#pragma once

#include "core/resources/UniformId.h"

#include <GL/glew.h>

#include <cstddef>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

class Shader;

class ShaderProgram {
public:
    ShaderProgram(Shader* shader, std::string defines);
    ~ShaderProgram();
    ShaderProgram(const ShaderProgram&) = delete;
    ShaderProgram& operator=(const ShaderProgram&) = delete;

    // Compiles both stages from versionLine + defines + body and links them. Errors
    // are logged; a failed link leaves program 0 (and the variant unusable).
    void build(const std::string& versionLine, const std::string& vertexBody,
               const std::string& fragmentBody);

    // Asks GL once per name; misses (-1) are cached as well.
    GLint getUniformLocation(const std::string& name);
    // The same through an interned name: an index into a table after the first ask.
    GLint getUniformLocation(UniformId id);
    bool isLinked() const { return program != 0; }
    // A program keeps its uniforms' values between uses. True when location
    // already holds these count floats (an int's bits count as a float); false
    // otherwise, noting them as held, since the caller sends them next.
    bool holds(GLint location, const float* values, size_t count);
    bool hasUniform(const std::string& name) const;
    bool hasAttribute(const std::string& name) const;

    Shader* const shader;
    const std::string defines;
    GLuint program = 0;
    GLuint vertexShader = 0;
    GLuint fragmentShader = 0;
    std::unordered_map<std::string, GLint> uniformLocations;
    // By UniformId; unresolvedLocation until asked.
    std::vector<GLint> locationsById;
    static constexpr GLint unresolvedLocation = -2;
    // Uniform values stay with a program: the renderer notes which view's
    // values it holds, so returning to it in the same view sends nothing again.
    uint64_t viewStamp = 0;
    std::vector<std::string> uniforms;
    std::vector<std::pair<std::string, GLint>> attributes;

private:
    struct HeldValue {
        size_t count = 0;
        float values[16] = {};
    };
    // By location, sized for every active uniform when linked.
    std::vector<HeldValue> held;

    GLuint compileStage(GLenum stage, const std::string& source) const;
    void readInterface();
};
