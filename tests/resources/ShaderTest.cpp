// Shader source preprocessing, lazily compiled variants and their error lines,
// and attribute matching in the state cache.
#include "GLResourceTest.h"
#include "support/LogCapture.h"
#include "support/TempAssets.h"

#include "core/resources/Mesh.h"
#include "core/resources/ResourceLoader.h"
#include "core/resources/Shader.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

const char* const plainVertex = "#version 430 core\n"
                                "in vec3 position;\n"
                                "uniform mat4 transform;\n"
                                "void main() { gl_Position = transform * vec4(position, 1.0); }\n";

int countStartingWith(const LogCapture& log, const std::string& prefix) {
    return static_cast<int>(
        std::count_if(log.lines.begin(), log.lines.end(),
                      [&prefix](const LoggedLine& line) { return line.text.rfind(prefix, 0) == 0; }));
}

class ShaderSourceTest : public ::testing::Test {
protected:
    void SetUp() override { systems.add<ResourceLoader>()->baseDir = assets.dir; }

    TempAssets assets;
    SystemRegistry systems;
    Shader shader{&systems};
};

using ShaderProgramTest = GLResourceTest;

} // namespace

TEST_F(ShaderSourceTest, HoistsTheVersionLineAndNestsIncludes) {
    assets.write("s.vert", "// header\n#include \"lib/a.glsl\"\nvoid main() {}");
    assets.write("lib/a.glsl", "#version 430 core\nfloat a;\n#include \"lib/b.glsl\"\nfloat c;\n");
    assets.write("lib/b.glsl", "float b;\n");
    assets.write("s.frag", "void main() {}\n");
    EXPECT_TRUE(shader.load("s.vert", "s.frag"));
    // The #version of an included file still wins; the last line gets its line feed.
    EXPECT_EQ(shader.getVersionLine(), "#version 430 core\n");
    EXPECT_EQ(shader.getVertexSource(), "// header\nfloat a;\nfloat b;\nfloat c;\nvoid main() {}\n");
    EXPECT_EQ(shader.getFragmentSource(), "void main() {}\n");

    // A later version line replaces an earlier one.
    assets.write("s.vert", "#version 330 core\n#version 440 core\nvoid main() {}\n");
    shader.load("s.vert", "s.frag");
    EXPECT_EQ(shader.getVersionLine(), "#version 440 core\n");
    EXPECT_EQ(shader.getVertexSource(), "void main() {}\n");
}

TEST_F(ShaderSourceTest, MissingFilesAreReportedWithTheirPath) {
    assets.write("s.vert", "#include \"nothere.glsl\"\n#include no quotes\nvoid main() {}\n");
    LogCapture log;
    EXPECT_FALSE(shader.load("s.vert", "missing.frag"));
    EXPECT_EQ(shader.getVertexSource(), "void main() {}\n");
    EXPECT_EQ(shader.getFragmentSource(), "");
    EXPECT_EQ(log.count(assets.dir + "/nothere.glsl not found."), 1);
    // No quotes: an empty name, which resolves to nothing.
    EXPECT_EQ(log.count(assets.dir + "/ not found."), 1);
    EXPECT_EQ(log.count(assets.dir + "/missing.frag not found."), 1);
    EXPECT_EQ(log.lines.size(), 3u);

    // A missing vertex file stops loading before the fragment file is read.
    assets.write("s.frag", "void main() {}\n");
    log.clear();
    EXPECT_FALSE(shader.load("none.vert", "s.frag"));
    EXPECT_EQ(shader.getFragmentSource(), "");
    EXPECT_EQ(log.lines.size(), 1u);
}

TEST_F(ShaderSourceTest, AnIncludeCycleIsCutWithAnErrorLine) {
    assets.write("s.vert", "#include \"a.glsl\"\nvoid main() {}\n");
    assets.write("a.glsl", "float a;\n#include \"b.glsl\"\n");
    assets.write("b.glsl", "float b;\n#include \"lib/../a.glsl\"\n#include \"self.glsl\"\n");
    assets.write("self.glsl", "float self;\n#include \"self.glsl\"\n");
    assets.write("s.frag", "#include \"self.glsl\"\n#include \"self.glsl\"\n");
    assets.makeDir("lib");
    LogCapture log;
    EXPECT_TRUE(shader.load("s.vert", "s.frag"));
    EXPECT_EQ(shader.getVertexSource(), "float a;\nfloat b;\nfloat self;\nvoid main() {}\n");
    // Including a file twice in a row is no cycle.
    EXPECT_EQ(shader.getFragmentSource(), "float self;\nfloat self;\n");
    EXPECT_EQ(countStartingWith(log, "Include cycle: "), 4);
    EXPECT_EQ(log.lines.size(), 4u);
}

TEST_F(ShaderProgramTest, SameDefinesGiveTheSameVariantAndAnotherOrderAnother) {
    assets.write("d.vert", plainVertex);
    // Compiles only when both defines come after the #version line.
    assets.write("d.frag", "#version 430 core\n"
                           "#if !defined(FIRST) || SECOND != 2\n#error defines missing\n#endif\n"
                           "out vec4 fragColor;\nvoid main() { fragColor = vec4(1.0); }\n");
    Shader* shader = cache->create<Shader>("d");
    shader->load("d.vert", "d.frag");
    LogCapture log;
    ShaderProgram* first = shader->getProgram(std::vector<std::string>{"FIRST", "SECOND 2"});
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(first->isLinked());
    EXPECT_EQ(first->defines, "#define FIRST\n#define SECOND 2\n");
    EXPECT_EQ(shader->getProgram(std::vector<std::string>{"FIRST", "SECOND 2"}), first);
    EXPECT_EQ(shader->getProgram("#define FIRST\n#define SECOND 2\n"), first);
    EXPECT_EQ(shader->getProgramCount(), 1u);

    ShaderProgram* swapped = shader->getProgram(std::vector<std::string>{"SECOND 2", "FIRST"});
    EXPECT_NE(swapped, first);
    EXPECT_TRUE(swapped->isLinked());
    EXPECT_EQ(shader->getProgramCount(), 2u);
    EXPECT_TRUE(log.lines.empty());

    // Without the defines the #error fires: the variant fails, but only once.
    ShaderProgram* bare = shader->getProgram(std::string());
    EXPECT_FALSE(bare->isLinked());
    EXPECT_EQ(shader->getProgram(std::string()), bare);
    EXPECT_EQ(countStartingWith(log, "Error compiling shader: "), 1);
    EXPECT_EQ(countStartingWith(log, "Error linking shader: "), 1);
}

TEST_F(ShaderProgramTest, MissingAttributesAreReportedOncePerProgram) {
    const char* const needsNormal = "#version 430 core\n"
                                    "in vec3 position;\nin vec3 normal;\nout vec3 vNormal;\n"
                                    "void main() { vNormal = normal; gl_Position = vec4(position, 1.0); }\n";
    assets.write("n.vert", needsNormal);
    assets.write("n.frag", "#version 430 core\nin vec3 vNormal;\nout vec4 fragColor;\n"
                           "void main() { fragColor = vec4(vNormal, 1.0); }\n");
    Shader* shader = cache->create<Shader>("n");
    shader->load("n.vert", "n.frag");
    ShaderProgram* first = shader->getProgram(std::vector<std::string>{});
    ShaderProgram* second = shader->getProgram(std::vector<std::string>{"OTHER"});
    ASSERT_TRUE(first->isLinked());
    ASSERT_TRUE(second->isLinked());

    Mesh* mesh = cache->create<Mesh>("bare");
    mesh->positions = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
    mesh->indices = {0, 1, 2};
    mesh->finalize();
    ASSERT_EQ(mesh->getVertexBuffers().size(), 1u);

    LogCapture log;
    graphics->beginFrame();
    for (int round = 0; round < 2; ++round) {
        for (ShaderProgram* program : {first, second}) {
            graphics->useProgram(program);
            graphics->bindBuffers(mesh->getVertexBuffers(), mesh->getIndexBuffer());
            graphics->drawIndexed(3);
        }
    }
    graphics->endFrame();
    EXPECT_EQ(log.count("Not all required attributes found."), 2);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}
