// Compiling and linking a shader variant, its interface and its uniform location cache.
#include "core/resources/ShaderProgram.h"

#include "core/platform/Log.h"

#include <algorithm>
#include <cstring>

namespace {

// Names of active uniforms and attributes are read into a buffer of this size.
constexpr GLsizei nameBufferSize = 32;
constexpr GLsizei compileLogSize = 1024;

// Info logs end in a line feed; the log adds its own.
std::string trimmed(std::string log) {
    while (!log.empty() && (log.back() == '\n' || log.back() == '\r' || log.back() == ' ')) {
        log.pop_back();
    }
    return log;
}

} // namespace

ShaderProgram::ShaderProgram(Shader* owner, std::string defineText)
    : shader(owner), defines(std::move(defineText)) {}

ShaderProgram::~ShaderProgram() {
    if (program != 0) {
        glDeleteProgram(program);
    }
    if (vertexShader != 0) {
        glDeleteShader(vertexShader);
    }
    if (fragmentShader != 0) {
        glDeleteShader(fragmentShader);
    }
}

GLuint ShaderProgram::compileStage(GLenum stage, const std::string& source) const {
    const GLuint object = glCreateShader(stage);
    const GLchar* text = source.c_str();
    const auto length = static_cast<GLint>(source.size());
    glShaderSource(object, 1, &text, &length);
    glCompileShader(object);
    GLint status = GL_FALSE;
    glGetShaderiv(object, GL_COMPILE_STATUS, &status);
    if (status == GL_FALSE) {
        std::string log(compileLogSize, '\0');
        GLsizei written = 0;
        glGetShaderInfoLog(object, compileLogSize, &written, log.data());
        log.resize(static_cast<size_t>(std::max(written, 0)));
        logError("Error compiling shader: ", trimmed(log));
    }
    return object;
}

void ShaderProgram::build(const std::string& versionLine, const std::string& vertexBody,
                          const std::string& fragmentBody) {
    program = glCreateProgram();
    vertexShader = compileStage(GL_VERTEX_SHADER, versionLine + defines + vertexBody);
    fragmentShader = compileStage(GL_FRAGMENT_SHADER, versionLine + defines + fragmentBody);
    // A stage that failed to compile still goes to the link, which then reports too.
    glAttachShader(program, vertexShader);
    glAttachShader(program, fragmentShader);
    glLinkProgram(program);
    GLint status = GL_FALSE;
    glGetProgramiv(program, GL_LINK_STATUS, &status);
    if (status == GL_FALSE) {
        GLint length = 0;
        glGetProgramiv(program, GL_INFO_LOG_LENGTH, &length);
        std::string log(static_cast<size_t>(std::max(length, 1)), '\0');
        GLsizei written = 0;
        glGetProgramInfoLog(program, static_cast<GLsizei>(log.size()), &written, log.data());
        log.resize(static_cast<size_t>(std::max(written, 0)));
        glDeleteProgram(program);
        glDeleteShader(vertexShader);
        glDeleteShader(fragmentShader);
        program = vertexShader = fragmentShader = 0;
        logError("Error linking shader: ", trimmed(log));
        return;
    }
    readInterface();
    glDetachShader(program, vertexShader);
    glDetachShader(program, fragmentShader);
}

void ShaderProgram::readInterface() {
    char name[nameBufferSize];
    GLint count = 0;
    glGetProgramiv(program, GL_ACTIVE_UNIFORMS, &count);
    for (GLint i = 0; i < count; ++i) {
        GLsizei length = 0;
        GLint size = 0;
        GLenum type = 0;
        glGetActiveUniform(program, static_cast<GLuint>(i), nameBufferSize, &length, &size, &type, name);
        uniforms.emplace_back(name, static_cast<size_t>(length));
        // An array's elements take the locations after its first.
        const GLint location = glGetUniformLocation(program, name);
        if (location >= 0 && static_cast<size_t>(location + size) > held.size()) {
            held.resize(static_cast<size_t>(location + size));
        }
    }
    glGetProgramiv(program, GL_ACTIVE_ATTRIBUTES, &count);
    for (GLint i = 0; i < count; ++i) {
        GLsizei length = 0;
        GLint size = 0;
        GLenum type = 0;
        glGetActiveAttrib(program, static_cast<GLuint>(i), nameBufferSize, &length, &size, &type, name);
        std::string attribute(name, static_cast<size_t>(length));
        // Built-in inputs (gl_VertexID, gl_InstanceID) are listed too but are fed by no buffer.
        if (attribute.compare(0, 3, "gl_") == 0) {
            continue;
        }
        const GLint location = glGetAttribLocation(program, attribute.c_str());
        attributes.emplace_back(std::move(attribute), location);
    }
}

bool ShaderProgram::holds(GLint location, const float* values, size_t count) {
    if (location < 0 || count > 16) {
        return false;
    }
    if (static_cast<size_t>(location) >= held.size()) {
        held.resize(static_cast<size_t>(location) + 1);
    }
    HeldValue& value = held[static_cast<size_t>(location)];
    if (value.count == count && std::memcmp(value.values, values, count * sizeof(float)) == 0) {
        return true;
    }
    value.count = count;
    std::memcpy(value.values, values, count * sizeof(float));
    return false;
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

GLint ShaderProgram::getUniformLocation(UniformId id) {
    if (!id.valid()) {
        return -1;
    }
    const auto index = static_cast<size_t>(id.get());
    if (index >= locationsById.size()) {
        // Room for every name known so far, so the table grows rarely.
        locationsById.resize(std::max(index + 1, UniformId::count()), unresolvedLocation);
    }
    if (locationsById[index] == unresolvedLocation) {
        locationsById[index] = getUniformLocation(id.name());
    }
    return locationsById[index];
}

bool ShaderProgram::hasUniform(const std::string& name) const {
    return std::find(uniforms.begin(), uniforms.end(), name) != uniforms.end();
}

bool ShaderProgram::hasAttribute(const std::string& name) const {
    return std::any_of(attributes.begin(), attributes.end(),
                       [&name](const auto& attribute) { return attribute.first == name; });
}
