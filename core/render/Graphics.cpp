// Window and context creation, the GL state cache and attribute binding.
#include "core/render/Graphics.h"

#include "core/platform/Log.h"
#include "core/resources/IndexBuffer.h"
#include "core/resources/ShaderProgram.h"
#include "core/resources/Texture.h"
#include "core/resources/VertexBuffer.h"
#include "core/runtime/Engine.h"

#include <FreeImage.h>
#include <GLFW/glfw3.h>
#include <glm/gtc/type_ptr.hpp>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <thread>

namespace {

// A value outside the enumeration (a damaged material file) draws as the default test.
GLenum toGL(DepthFunc func) {
    static const GLenum table[] = {GL_ALWAYS, GL_EQUAL,   GL_NOTEQUAL, GL_LESS,
                                   GL_LEQUAL, GL_GREATER, GL_GEQUAL};
    const auto index = static_cast<size_t>(func);
    return index < std::size(table) ? table[index] : GL_LESS;
}

// GLFW reports why a call failed through this callback only; the last reason is
// kept so that the one line explaining a missing window can name it.
std::string& lastGlfwError() {
    static std::string message;
    return message;
}

void rememberGlfwError(int, const char* description) {
    lastGlfwError() = description != nullptr ? description : "";
}

// An X server started without -noreset resets when its last client leaves and
// drops a client that connects during the reset (about one window in ten when
// windows open back to back); another try gets through.
bool initGlfw() {
    constexpr int attempts = 5;
    for (int attempt = 0; attempt < attempts; ++attempt) {
        if (glfwInit() == GLFW_TRUE) {
            return true;
        }
    }
    return false;
}

} // namespace

Graphics::Graphics(SystemRegistry* systems) : System(systems), engine(get<Engine>()) {}

Graphics::~Graphics() {
    if (window != nullptr) {
        if (vertexArray != 0) {
            glDeleteVertexArrays(1, &vertexArray);
        }
        glfwDestroyWindow(window);
        window = nullptr;
        glfwTerminate();
    }
}

// Mesa's software rasteriser (llvmpipe) starts one thread per core. With two or
// three cores, the thread that submits the frame and whatever else the machine
// runs take a core from those threads for whole time slices, and each pass
// then waits on the tiles held by a thread that lost its core. Four threads
// share out what is left: on two cores the low preset's 99th percentile frame
// fell from 1.5 to 1.3 times its median in 7 of 7 runs, with the medians level
// and the other presets as fast or faster. A value the player set stays; other
// drivers ignore it.
void Graphics::prepareDriver() {
    const unsigned cores = std::thread::hardware_concurrency();
    if (cores >= 2 && cores < 4) {
        setenv("LP_NUM_THREADS", "4", 0);
    }
}

void Graphics::init() {
    glfwSetErrorCallback(rememberGlfwError);
    if (!initGlfw()) {
        logError("Failed to init GLFW");
        return;
    }
    createWindow();
    if (window == nullptr) {
        glfwTerminate();
        logError("Failed to create window");
        return;
    }
    glfwMakeContextCurrent(window);
    glewExperimental = GL_TRUE;
    if (glewInit() != GLEW_OK) {
        glfwDestroyWindow(window);
        window = nullptr;
        glfwTerminate();
        logError("Failed to init GLEW");
        return;
    }
    // GLEW's loader may leave an error behind on core contexts; it is not ours.
    glGetError();
    fitSizeToContext();
    // A 4.5 context (Mesa's software one among them) binds a texture to a unit in
    // one call, without the unit switch: half the calls of a texture change.
    directTextureBinds = GLEW_VERSION_4_5 || GLEW_ARB_direct_state_access;
    setDepthWrite(true);
    glEnable(GL_DEPTH_TEST);
    glGenVertexArrays(1, &vertexArray);
}

void Graphics::createWindow() {
    const Config defaults;
    const Config& config = engine != nullptr ? engine->config : defaults;
    glfwWindowHint(GLFW_CONTEXT_VERSION_MAJOR, 4);
    glfwWindowHint(GLFW_CONTEXT_VERSION_MINOR, 3);
    glfwWindowHint(GLFW_OPENGL_PROFILE, GLFW_OPENGL_CORE_PROFILE);
    glfwWindowHint(GLFW_OPENGL_DEBUG_CONTEXT, GLFW_TRUE);
    glfwWindowHint(GLFW_RESIZABLE, GLFW_TRUE);
    glfwWindowHint(GLFW_DEPTH_BITS, config.windowDepth ? 24 : 0);
    glfwWindowHint(GLFW_STENCIL_BITS, config.windowDepth ? 8 : 0);
    windowDepth = config.windowDepth;
    width = config.width;
    height = config.height;
    GLFWmonitor* monitor = nullptr;
    if (config.fullscreen) {
        glfwWindowHint(GLFW_REFRESH_RATE, config.refreshRate);
        monitor = glfwGetPrimaryMonitor();
    }
    window = glfwCreateWindow(width, height, config.title.c_str(), monitor, nullptr);
    if (window != nullptr) {
        // A fullscreen window may get the monitor's mode rather than the one asked for.
        glfwGetFramebufferSize(window, &width, &height);
    }
}

std::string Graphics::failureReason() {
    return lastGlfwError();
}

// Sizes above what the context can render to leave incomplete framebuffers; the
// smallest of the limits that matter decides.
void Graphics::fitSizeToContext() {
    GLint textureSize = 0;
    GLint renderbufferSize = 0;
    GLint viewportDims[2] = {0, 0};
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &textureSize);
    glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &renderbufferSize);
    glGetIntegerv(GL_MAX_VIEWPORT_DIMS, viewportDims);
    const int limit = std::min({textureSize, renderbufferSize, viewportDims[0], viewportDims[1]});
    const Config defaults;
    int wantedWidth = width;
    int wantedHeight = height;
    if (width > limit) {
        logWarning("config.ini: window width=", width, " is larger than OpenGL allows here (", limit,
                   "); using ", defaults.width);
        wantedWidth = defaults.width;
    }
    if (height > limit) {
        logWarning("config.ini: window height=", height, " is larger than OpenGL allows here (", limit,
                   "); using ", defaults.height);
        wantedHeight = defaults.height;
    }
    if (wantedWidth != width || wantedHeight != height) {
        glfwSetWindowSize(window, wantedWidth, wantedHeight);
        glfwGetFramebufferSize(window, &width, &height);
    }
}

bool Graphics::followFramebufferSize() {
    int newWidth = width;
    int newHeight = height;
    glfwGetFramebufferSize(window, &newWidth, &newHeight);
    width = std::max(newWidth, 0);
    height = std::max(newHeight, 0);
    // A minimised window has no pixels to draw into.
    return width > 0 && height > 0;
}

void Graphics::toggleFullscreen() {
    if (window == nullptr) {
        return;
    }
    GLFWmonitor* current = glfwGetWindowMonitor(window);
    if (current != nullptr) {
        glfwSetWindowMonitor(window, nullptr, windowedArea[0], windowedArea[1], windowedArea[2],
                             windowedArea[3], GLFW_DONT_CARE);
        return;
    }
    GLFWmonitor* monitor = glfwGetPrimaryMonitor();
    const GLFWvidmode* mode = monitor != nullptr ? glfwGetVideoMode(monitor) : nullptr;
    if (mode == nullptr) {
        logWarning("Fullscreen is not available: no monitor");
        return;
    }
    glfwGetWindowPos(window, &windowedArea[0], &windowedArea[1]);
    glfwGetWindowSize(window, &windowedArea[2], &windowedArea[3]);
    glfwSetWindowMonitor(window, monitor, 0, 0, mode->width, mode->height, mode->refreshRate);
}

bool Graphics::isFullscreen() const {
    return window != nullptr && glfwGetWindowMonitor(window) != nullptr;
}

void Graphics::beginFrame() {
    drawCalls = 0;
    triangles = 0;
    glCalls = 1;
    forgetTextures();
    glBindVertexArray(vertexArray);
}

void Graphics::endFrame() {
    glBindVertexArray(0);
    fire(beforeSwap);
    glfwSwapBuffers(window);
}

void Graphics::setPolygonMode(PolygonMode mode) {
    if (mode == polygonMode) {
        return;
    }
    polygonMode = mode;
    ++stateCalls;
    ++glCalls;
    glPolygonMode(GL_FRONT_AND_BACK, mode == PolygonMode::Line ? GL_LINE : GL_FILL);
}

void Graphics::setBlendMode(BlendMode mode) {
    if (mode == blendMode) {
        return;
    }
    blendMode = mode;
    ++stateCalls;
    glCalls += mode == BlendMode::None ? 1 : 2;
    switch (mode) {
    case BlendMode::None:
        glDisable(GL_BLEND);
        break;
    case BlendMode::Alpha:
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        break;
    case BlendMode::Additive:
        glEnable(GL_BLEND);
        glBlendFunc(GL_CONSTANT_COLOR, GL_ONE);
        break;
    }
}

void Graphics::setBlendColor(const glm::vec4& color) {
    if (color == blendColor) {
        return;
    }
    blendColor = color;
    ++stateCalls;
    ++glCalls;
    glBlendColor(color.r, color.g, color.b, color.a);
}

void Graphics::setCullMode(CullMode mode) {
    if (mode == cullMode) {
        return;
    }
    cullMode = mode;
    ++stateCalls;
    glCalls += mode == CullMode::None ? 1 : 2;
    if (mode == CullMode::None) {
        glDisable(GL_CULL_FACE);
        return;
    }
    glEnable(GL_CULL_FACE);
    glCullFace(mode == CullMode::Front ? GL_FRONT : GL_BACK);
}

void Graphics::setDepthFunc(DepthFunc func) {
    if (func == depthFunc) {
        return;
    }
    depthFunc = func;
    ++stateCalls;
    ++glCalls;
    glDepthFunc(toGL(func));
}

void Graphics::setDepthWrite(bool enabled) {
    if (enabled == depthWrite) {
        return;
    }
    depthWrite = enabled;
    ++stateCalls;
    ++glCalls;
    glDepthMask(enabled ? GL_TRUE : GL_FALSE);
}

void Graphics::setViewport(int x, int y, int w, int h) {
    const std::array<int, 4> wanted{x, y, w, h};
    if (wanted == viewport) {
        return;
    }
    viewport = wanted;
    ++stateCalls;
    ++glCalls;
    glViewport(x, y, w, h);
}

void Graphics::useProgram(ShaderProgram* newProgram) {
    if (newProgram == program) {
        return;
    }
    program = newProgram;
    attributesDirty = true;
    ++stateCalls;
    ++glCalls;
    glUseProgram(newProgram != nullptr ? newProgram->program : 0);
}

void Graphics::bindBuffers(const VertexStreams& buffers, IndexBuffer* indices) {
    // A buffer made where a deleted one lived compares equal to it.
    if (buffers != vertexBuffers || VertexBuffer::deletions() != sourcesCheckedAt) {
        vertexBuffers = buffers;
        attributesDirty = true;
    }
    if (indices != indexBuffer) {
        indexBuffer = indices;
        ++stateCalls;
        ++glCalls;
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, indices != nullptr ? indices->buffer : 0);
    }
}

void Graphics::bindTexture(uint32_t unit, const Texture* texture) {
    if (unit < textureUnits && boundTextures[unit] == texture) {
        return;
    }
    if (unit < textureUnits) {
        boundTextures[unit] = texture;
    }
    if (directTextureBinds) {
        ++glCalls;
        glBindTextureUnit(unit, texture != nullptr ? texture->getTexture() : 0);
        return;
    }
    glCalls += 2;
    if (texture != nullptr) {
        texture->bind(unit);
    } else {
        glActiveTexture(GL_TEXTURE0 + unit);
        glBindTexture(GL_TEXTURE_2D, 0);
    }
}

void Graphics::forgetTextures() {
    boundTextures.fill(nullptr);
}

void Graphics::forgetTexture(uint32_t unit) {
    if (unit < textureUnits) {
        boundTextures[unit] = nullptr;
    }
}

void Graphics::setUniform(const std::string& name, bool value) {
    setUniform(name, value ? 1 : 0);
}

// Uniforms the program lacks are skipped here rather than sent to location -1:
// the renderer sends the whole contract to every program, and each call counts.
GLint Graphics::uniformLocation(const std::string& name) const {
    return program != nullptr ? program->getUniformLocation(name) : -1;
}

void Graphics::setUniform(const std::string& name, int value) {
    const GLint location = uniformLocation(name);
    float bits = 0.0f;
    std::memcpy(&bits, &value, sizeof bits);
    if (location >= 0 && !program->holds(location, &bits, 1)) {
        ++glCalls;
        glUniform1i(location, value);
    }
}

void Graphics::setUniform(UniformId id, int value) {
    const GLint location = program != nullptr ? program->getUniformLocation(id) : -1;
    float bits = 0.0f;
    std::memcpy(&bits, &value, sizeof bits);
    if (location >= 0 && !program->holds(location, &bits, 1)) {
        ++glCalls;
        glUniform1i(location, value);
    }
}

void Graphics::setUniform(const std::string& name, float value) {
    const GLint location = uniformLocation(name);
    if (location >= 0 && !program->holds(location, &value, 1)) {
        ++glCalls;
        glUniform1f(location, value);
    }
}

void Graphics::setUniform(UniformId id, float value) {
    const GLint location = program != nullptr ? program->getUniformLocation(id) : -1;
    if (location >= 0 && !program->holds(location, &value, 1)) {
        ++glCalls;
        glUniform1f(location, value);
    }
}

void Graphics::setUniform(const std::string& name, const glm::vec3& value) {
    const GLint location = uniformLocation(name);
    if (location >= 0 && !program->holds(location, glm::value_ptr(value), 3)) {
        ++glCalls;
        glUniform3f(location, value.x, value.y, value.z);
    }
}

void Graphics::setUniform(UniformId id, const glm::vec2& value) {
    const GLint location = program != nullptr ? program->getUniformLocation(id) : -1;
    if (location >= 0 && !program->holds(location, glm::value_ptr(value), 2)) {
        ++glCalls;
        glUniform2f(location, value.x, value.y);
    }
}

void Graphics::setUniform(UniformId id, const glm::vec3& value) {
    const GLint location = program != nullptr ? program->getUniformLocation(id) : -1;
    if (location >= 0 && !program->holds(location, glm::value_ptr(value), 3)) {
        ++glCalls;
        glUniform3f(location, value.x, value.y, value.z);
    }
}

void Graphics::setUniform(const std::string& name, const glm::vec4& value) {
    const GLint location = uniformLocation(name);
    if (location >= 0 && !program->holds(location, glm::value_ptr(value), 4)) {
        ++glCalls;
        glUniform4f(location, value.x, value.y, value.z, value.w);
    }
}

void Graphics::setUniform(UniformId id, const glm::vec4& value) {
    const GLint location = program != nullptr ? program->getUniformLocation(id) : -1;
    if (location >= 0 && !program->holds(location, glm::value_ptr(value), 4)) {
        ++glCalls;
        glUniform4f(location, value.x, value.y, value.z, value.w);
    }
}

void Graphics::setUniform(const std::string& name, const glm::mat4& value) {
    const GLint location = uniformLocation(name);
    if (location >= 0 && !program->holds(location, glm::value_ptr(value), 16)) {
        ++glCalls;
        glUniformMatrix4fv(location, 1, GL_FALSE, glm::value_ptr(value));
    }
}

void Graphics::setUniform(UniformId id, const glm::mat4& value) {
    const GLint location = program != nullptr ? program->getUniformLocation(id) : -1;
    if (location >= 0 && !program->holds(location, glm::value_ptr(value), 16)) {
        ++glCalls;
        glUniformMatrix4fv(location, 1, GL_FALSE, glm::value_ptr(value));
    }
}

void Graphics::setUniform(UniformId id, bool value) {
    setUniform(id, value ? 1 : 0);
}

void Graphics::bindAttributes() {
    if (!attributesDirty || program == nullptr) {
        return;
    }
    // Buffer names are handed out again once deleted: a binding that names one
    // may now mean another buffer.
    if (VertexBuffer::deletions() != sourcesCheckedAt) {
        sourcesCheckedAt = VertexBuffer::deletions();
        streamBindings.fill(StreamBinding{});
    }
    uint32_t mask = 0;
    size_t matched = 0;
    for (const auto& [name, location] : program->attributes) {
        bool found = false;
        for (size_t stream = 0; stream < vertexBuffers.size() && !found; ++stream) {
            const VertexBuffer* buffer = vertexBuffers[stream];
            for (size_t i = 0; i < buffer->layout.size(); ++i) {
                const VertexAttribute& attribute = buffer->layout[i];
                if (attribute.name != name || location < 0 ||
                    static_cast<GLuint>(location) >= maxAttributes) {
                    continue;
                }
                found = true;
                const auto index = static_cast<GLuint>(location);
                const auto binding = static_cast<GLuint>(stream);
                if ((enabledAttributes & (1u << index)) == 0) {
                    glEnableVertexAttribArray(index);
                    ++glCalls;
                }
                // A mesh change of the same layout only re-binds its streams: one
                // call per buffer instead of one per attribute.
                const StreamBinding source{buffer->buffer, buffer->stride(), attribute.perInstance};
                StreamBinding& bound = streamBindings[stream];
                if (bound.buffer != source.buffer || bound.stride != source.stride) {
                    glBindVertexBuffer(binding, source.buffer, 0, static_cast<GLsizei>(source.stride));
                    ++glCalls;
                }
                if (bound.perInstance != source.perInstance) {
                    glVertexBindingDivisor(binding, source.perInstance ? 1 : 0);
                    ++glCalls;
                }
                bound = source;
                const AttributeFormat format{binding, buffer->offsetOf(i), static_cast<int>(attribute.type)};
                if (!(attributeFormats[index] == format)) {
                    attributeFormats[index] = format;
                    if (attribute.type == VertexAttributeType::Int) {
                        glVertexAttribIFormat(index, 1, GL_INT, format.offset);
                    } else {
                        glVertexAttribFormat(index, attributeComponents(attribute.type), GL_FLOAT, GL_FALSE,
                                             format.offset);
                    }
                    glVertexAttribBinding(index, binding);
                    ++attributePointerCalls;
                    glCalls += 2;
                }
                mask |= 1u << index;
                break;
            }
        }
        matched += found ? 1 : 0;
    }
    if (matched < program->attributes.size() &&
        std::find(warnedPrograms.begin(), warnedPrograms.end(), program) == warnedPrograms.end()) {
        warnedPrograms.push_back(program);
        logError("Not all required attributes found.");
    }
    for (GLuint index = 0; index < maxAttributes; ++index) {
        if ((enabledAttributes & (1u << index)) != 0 && (mask & (1u << index)) == 0) {
            glDisableVertexAttribArray(index);
            ++glCalls;
        }
    }
    enabledAttributes = mask;
    attributesDirty = false;
}

void Graphics::drawIndexed(uint32_t count, uint32_t first, uint32_t instances) {
    bindAttributes();
    const auto offset = reinterpret_cast<const void*>(static_cast<uintptr_t>(first) * sizeof(uint16_t));
    if (instances == 1) {
        glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(count), GL_UNSIGNED_SHORT, offset);
    } else {
        glDrawElementsInstanced(GL_TRIANGLES, static_cast<GLsizei>(count), GL_UNSIGNED_SHORT, offset,
                                static_cast<GLsizei>(instances));
    }
    drawCalls += 1;
    ++glCalls;
    triangles += count / 3;
}

std::string Graphics::rendererName() const {
    if (window == nullptr) {
        return std::string();
    }
    const auto* name = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    return name != nullptr ? std::string(name) : std::string();
}

bool Graphics::saveScreenshot(const std::string& path) const {
    if (window == nullptr || width <= 0 || height <= 0) {
        return false;
    }
    FIBITMAP* image = FreeImage_Allocate(width, height, 32);
    if (image == nullptr) {
        return false;
    }
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glReadBuffer(GL_BACK);
    // FreeImage keeps rows bottom-up like GL, and its pixel order is BGRA.
    glReadPixels(0, 0, width, height, GL_BGRA, GL_UNSIGNED_BYTE, FreeImage_GetBits(image));
    const bool saved = FreeImage_Save(FIF_PNG, image, path.c_str(), PNG_DEFAULT) != 0;
    FreeImage_Unload(image);
    return saved;
}
