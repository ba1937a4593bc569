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
