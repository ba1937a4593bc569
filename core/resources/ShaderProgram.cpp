// Uniform location cache of a shader variant.
#include "core/resources/ShaderProgram.h"

ShaderProgram::ShaderProgram(Shader* owner, std::string defineText) : shader(owner), defines(std::move(defineText)) {}

ShaderProgram::~ShaderProgram() {
    if (program != 0) {
        glDeleteProgram(program);
    }
}

GLint ShaderProgram::getUniformLocation(const std::string& name) {
    const auto it = uniformLocations.find(name);
    if (it != uniformLocations.end()) {
        return it->second;
    }
    const GLint location = program != 0 ? glGetUniformLocation(program, name.c_str()) : -1;
    uniformLocations.emplace(name, location);
    return location;
}
