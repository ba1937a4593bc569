// The window, its OpenGL context, and the cache of GL state that every draw goes
// through: program, blend/cull/depth/polygon state, bound buffers and enabled
// attribute arrays. Redundant state requests never reach OpenGL.
#pragma once

#include "core/render/RenderState.h"
#include "core/render/VertexStreams.h"
#include "core/resources/UniformId.h"
#include "core/runtime/Event.h"
#include "core/runtime/System.h"

#include <GL/glew.h>
#include <glm/glm.hpp>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

struct GLFWwindow;
class Engine;
class IndexBuffer;
class ShaderProgram;
class Texture;
class VertexBuffer;

class Graphics : public System {
public:
    explicit Graphics(SystemRegistry* systems);
    ~Graphics() override;

    // Sets what the GL driver reads from the environment when it loads: once,
    // before the first window and before any thread starts (setenv is not safe
    // beside threads that read the environment). The engine calls it at start-up.
    static void prepareDriver();
    // Opens the window and context; failures are logged and leave no window.
    void init();
    bool hasWindow() const { return window != nullptr; }
    // Whether the window's framebuffer has a depth buffer (Config::windowDepth).
    bool hasWindowDepth() const { return windowDepth; }
    // Why the last window-system call failed, as the window system put it (may be empty).
    static std::string failureReason();

    // Takes the framebuffer's current size (the window may have been resized or
    // made fullscreen); false while it has no pixels (minimised).
    bool followFramebufferSize();
    // Between a window of the last windowed size and the primary monitor's mode.
    void toggleFullscreen();
    bool isFullscreen() const;

    // Frame brackets used by the engine: statistics reset and vertex array binding,
    // then vertex array 0 and the buffer swap.
    void beginFrame();
    void endFrame();

    void setPolygonMode(PolygonMode mode);
    void setBlendMode(BlendMode mode);
    void setBlendColor(const glm::vec4& color);
    void setCullMode(CullMode mode);
    void setDepthFunc(DepthFunc func);
    void setDepthWrite(bool enabled);
    void setViewport(int x, int y, int w, int h);
    void useProgram(ShaderProgram* newProgram);
    // Binds a mesh's streams; the attribute pointers are set again before the next draw.
    void bindBuffers(const VertexStreams& buffers, IndexBuffer* indices);
    // Binds a texture to a unit unless it is already there. The cache is
    // forgotten at the start of each frame, since loading binds textures behind it.
    void bindTexture(uint32_t unit, const Texture* texture);
    void forgetTextures();
    void forgetTexture(uint32_t unit);
    // True where binds go straight to a unit (OpenGL 4.5 or direct state access):
    // the active texture unit is then not the last one bound.
    bool bindsTexturesDirectly() const { return directTextureBinds; }

    void setUniform(const std::string& name, bool value);
    void setUniform(const std::string& name, int value);
    void setUniform(const std::string& name, float value);
    void setUniform(const std::string& name, const glm::vec3& value);
    void setUniform(const std::string& name, const glm::vec4& value);
    void setUniform(const std::string& name, const glm::mat4& value);
    // The hot path: names interned once, locations read from the program's table.
    void setUniform(UniformId id, bool value);
    void setUniform(UniformId id, int value);
    void setUniform(UniformId id, float value);
    void setUniform(UniformId id, const glm::vec2& value);
    void setUniform(UniformId id, const glm::vec3& value);
    void setUniform(UniformId id, const glm::vec4& value);
    void setUniform(UniformId id, const glm::mat4& value);
    template <typename T> void setUniform(const std::string& base, int index, const T& value) {
        setUniform(base + "[" + std::to_string(index) + "]", value);
    }
    template <typename T>
    void setUniform(const std::string& base, int index, const std::string& field, const T& value) {
        setUniform(base + "[" + std::to_string(index) + "]." + field, value);
    }

    void bindAttributes();
    // Binds attributes, draws count 16-bit indices from first and counts the draw.
    void drawIndexed(uint32_t count, uint32_t first = 0, uint32_t instances = 1);

    // Writes what the back buffer holds now as a PNG (call before the swap).
    bool saveScreenshot(const std::string& path) const;
    // GL_RENDERER of the context ("llvmpipe (LLVM 15.0.6, 256 bits)"); empty without a window.
    std::string rendererName() const;
    // For GL calls made outside this class during a frame (clears, framebuffer
    // binds), so that glCalls counts every call a frame makes.
    void countCalls(uint32_t calls) { glCalls += calls; }
    // Fired when the frame is complete, right before the swap: the moment to take
    // a screenshot of what the player is about to see.
    Event<> beforeSwap;

    Engine* engine = nullptr;
    uint32_t drawCalls = 0;
    uint32_t triangles = 0;
    GLFWwindow* window = nullptr;
    int width = 0;
    int height = 0;
    std::array<int, 4> viewport{0, 0, 1, 1};
    ShaderProgram* program = nullptr;
    GLuint vertexArray = 0;
    bool attributesDirty = true;
    uint32_t enabledAttributes = 0;

    // GL calls the cache let through, for tests and benchmarks of the cache.
    uint32_t stateCalls = 0;
    uint32_t attributePointerCalls = 0;
    // Every GL call of the frame that went through here, reset by beginFrame.
    uint32_t glCalls = 0;

private:
    void createWindow();
    void fitSizeToContext();

    // Attribute locations the enabled-array mask can hold.
    static constexpr GLuint maxAttributes = 32;
    // The vertex array's state, so that a program or mesh change sends only what
    // differs: each attribute location reads its stream's binding point (the
    // stream's index in the draw's VertexStreams) at an offset in a format, and
    // each binding point holds a buffer.
    struct AttributeFormat {
        GLuint binding = 0;
        uint32_t offset = 0;
        int type = -1;
        bool operator==(const AttributeFormat& other) const {
            return binding == other.binding && offset == other.offset && type == other.type;
        }
    };
    struct StreamBinding {
        GLuint buffer = 0;
        uint32_t stride = 0;
        bool perInstance = false;
    };
    std::array<AttributeFormat, maxAttributes> attributeFormats{};
    std::array<StreamBinding, VertexStreams::capacity> streamBindings{};
    uint64_t sourcesCheckedAt = 0;
    std::array<int, 4> windowedArea{0, 0, 0, 0};
    GLint uniformLocation(const std::string& name) const;

    PolygonMode polygonMode = static_cast<PolygonMode>(2);
    BlendMode blendMode = static_cast<BlendMode>(3);
    // OpenGL's own initial blend colour, so that the first request for any other reaches it.
    glm::vec4 blendColor{0.0f};
    CullMode cullMode = static_cast<CullMode>(3);
    DepthFunc depthFunc = static_cast<DepthFunc>(7);
    bool depthWrite = false;
    VertexStreams vertexBuffers;
    IndexBuffer* indexBuffer = nullptr;
    static constexpr size_t textureUnits = 32;
    std::array<const Texture*, textureUnits> boundTextures{};
    bool directTextureBinds = false;
    bool windowDepth = true;
    std::vector<ShaderProgram*> warnedPrograms;
};
