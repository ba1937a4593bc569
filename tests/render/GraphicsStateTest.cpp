// The GL state cache at its edges: it must start from OpenGL's own initial
// state, and values outside its tables must neither index past them nor shift
// past the enabled-attribute mask.
#include "render/GLSceneTest.h"

#include "core/render/Graphics.h"
#include "core/render/RenderState.h"
#include "core/resources/Mesh.h"
#include "core/resources/ResourceCache.h"
#include "core/resources/Shader.h"
#include "core/resources/ShaderProgram.h"
#include "core/resources/Texture2D.h"
#include "support/LogCapture.h"

namespace {

class GraphicsStateTest : public GLSceneTest {
protected:
    void SetUp() override { open(64, 48); }
};

} // namespace

TEST_F(GraphicsStateTest, TheCacheStartsFromOpenGLsStateAndRefusesValuesOutsideItsTables) {
    // OpenGL's blend colour starts at zero: a first request for white must reach it.
    graphics->setBlendColor(glm::vec4(1.0f));
    GLfloat blend[4] = {};
    glGetFloatv(GL_BLEND_COLOR, blend);
    EXPECT_EQ(glm::vec4(blend[0], blend[1], blend[2], blend[3]), glm::vec4(1.0f));

    graphics->setDepthFunc(DepthFunc::Greater);
    graphics->setDepthFunc(static_cast<DepthFunc>(42));
    GLint depthFunc = 0;
    glGetIntegerv(GL_DEPTH_FUNC, &depthFunc);
    EXPECT_EQ(depthFunc, GL_LESS);

    // A location beyond the mask's 32 bits is reported as missing, not enabled.
    ShaderProgram* program = cache->get<Shader>("quad2d")->getProgram(std::string());
    ASSERT_NE(program, nullptr);
    program->attributes = {{"position", 40}};
    const Mesh* quad = cache->get<Mesh>("quad");
    ASSERT_NE(quad, nullptr);
    LogCapture log;
    graphics->beginFrame();
    graphics->useProgram(program);
    graphics->bindBuffers(quad->getVertexBuffers(), quad->getIndexBuffer());
    graphics->bindAttributes();
    graphics->useProgram(nullptr);
    EXPECT_EQ(graphics->enabledAttributes, 0u);
    EXPECT_TRUE(log.contains("Not all required attributes found."));
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(GraphicsStateTest, TextureBindsReachTheirUnitsAndNoneIsSkippedAfterOthersBoundBehindTheCache) {
    const auto boundTo = [](GLuint unit) {
        GLint previous = 0;
        glGetIntegerv(GL_ACTIVE_TEXTURE, &previous);
        glActiveTexture(GL_TEXTURE0 + unit);
        GLint name = 0;
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &name);
        glActiveTexture(static_cast<GLenum>(previous));
        return static_cast<GLuint>(name);
    };
    const Texture2D* white = cache->get<Texture2D>("white");
    const Texture2D* checker = Texture2D::checkerboard(*cache);
    ASSERT_NE(white, nullptr);
    ASSERT_NE(checker, nullptr);
    graphics->beginFrame();
    graphics->bindTexture(3, white);
    graphics->bindTexture(9, checker);
    EXPECT_EQ(boundTo(3), white->getTexture());
    EXPECT_EQ(boundTo(9), checker->getTexture());
    const uint32_t calls = graphics->glCalls;
    graphics->bindTexture(3, white);
    EXPECT_EQ(graphics->glCalls, calls) << "a texture already on its unit is not bound again";

    // An upload binds on whatever unit is active, behind the cache: once the
    // cache has forgotten, the next request reaches OpenGL whichever unit that was.
    Texture2D scratch(engine->systems.get());
    const uint8_t pixel[4] = {1, 2, 3, 4};
    for (const GLuint unit : {3u, 9u}) {
        glActiveTexture(GL_TEXTURE0 + unit);
        scratch.create(1, 1, TextureFormat::RGBA, pixel);
    }
    graphics->forgetTextures();
    graphics->bindTexture(3, white);
    graphics->bindTexture(9, checker);
    EXPECT_EQ(boundTo(3), white->getTexture());
    EXPECT_EQ(boundTo(9), checker->getTexture());
    graphics->bindTexture(9, nullptr);
    EXPECT_EQ(boundTo(9), 0u);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}
