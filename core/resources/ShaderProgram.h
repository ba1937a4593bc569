// One compiled and linked variant of a Shader for one set of defines, with its
// active uniforms and attributes and a cache of uniform locations.
#pragma once

#include <GL/glew.h>

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

    // Asks GL once per name; misses (-1) are cached as well.
    GLint getUniformLocation(const std::string& name);
    bool isLinked() const { return program != 0; }

    Shader* const shader;
    const std::string defines;
    GLuint program = 0;
    std::unordered_map<std::string, GLint> uniformLocations;
    std::vector<std::string> uniforms;
    std::vector<std::pair<std::string, GLint>> attributes;
};
