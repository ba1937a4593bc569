// Materials: the built-ins, values by tag, binding for the renderer and the
// conversion of imported model materials.
#include "GLResourceTest.h"
#include "support/LogCapture.h"

#include "core/resources/Material.h"
#include "core/resources/Shader.h"
#include "core/resources/Texture2D.h"

#include <FreeImage.h>
#include <assimp/material.h>
#include <gtest/gtest.h>

#include <filesystem>

namespace {

void writeImage(const std::string& path) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    FIBITMAP* image = FreeImage_Allocate(4, 4, 24);
    ASSERT_TRUE(FreeImage_Save(FIF_PNG, image, path.c_str(), 0));
    FreeImage_Unload(image);
}

void addTexture(aiMaterial& material, aiTextureType type, const std::string& path) {
    const aiString name(path);
    material.AddProperty(&name, AI_MATKEY_TEXTURE(type, 0));
}

class MaterialTest : public GLResourceTest {
protected:
    void SetUp() override {
        GLResourceTest::SetUp();
        if (IsSkipped()) {
            return;
        }
        assets.write("m.vert", "#version 430 core\nin vec3 position;\n"
                               "void main() { gl_Position = vec4(position, 1.0); }\n");
        assets.write("m.frag", "#version 430 core\n"
                               "uniform vec3 metallic;\nuniform int count;\nuniform vec4 albedo;\n"
                               "uniform sampler2D first;\nuniform sampler2D second;\nout vec4 fragColor;\n"
                               "void main() { fragColor = albedo * vec4(metallic, float(count))"
                               " + texture(first, vec2(0.0)) + texture(second, vec2(0.0)); }\n");
        shader = cache->create<Shader>("m");
        shader->load("m.vert", "m.frag");
    }

    Shader* shader = nullptr;
};

} // namespace

TEST_F(MaterialTest, TheDefaultMaterialShowsTheCheckerboardOnTheDefaultShader) {
    const Material* standard = cache->get<Material>("default");
    ASSERT_NE(standard, nullptr);
    EXPECT_EQ(standard->getShader(), cache->get<Shader>("default"));
    EXPECT_EQ(standard->getTexture("diffuseTex"), cache->get<Texture2D>("default"));
    EXPECT_EQ(standard->getDefines(), std::vector<std::string>{"DIFFUSE"});
}

// Textures take consecutive units in the material's texture order.
TEST_F(MaterialTest, ValuesAreSentByTheirLatestTypeAndTexturesBoundToConsecutiveUnitsWithTheirSamplers) {
    Material* material = cache->create<Material>("metal");
    material->setUniform("metallic", 0.25f);
    material->setUniform("metallic", glm::vec3(0.1f, 0.2f, 0.3f));
    material->setUniform("count", 3);
    material->setUniform("albedo", glm::vec4(1, 2, 3, 4));
    EXPECT_EQ(material->getUniform("metallic").getType(), MaterialValue::Type::Vec3);
    EXPECT_EQ(material->getUniforms().size(), 3u);

    ShaderProgram* program = shader->getProgram(std::vector<std::string>{});
    ASSERT_TRUE(program->isLinked());
    graphics->useProgram(program);
    material->sendUniforms(*graphics);
    GLfloat metallic[3] = {};
    glGetUniformfv(program->program, program->getUniformLocation("metallic"), metallic);
    EXPECT_EQ(glm::vec3(metallic[0], metallic[1], metallic[2]), glm::vec3(0.1f, 0.2f, 0.3f));
    GLint count = 0;
    glGetUniformiv(program->program, program->getUniformLocation("count"), &count);
    EXPECT_EQ(count, 3);
    GLfloat albedo[4] = {};
    glGetUniformfv(program->program, program->getUniformLocation("albedo"), albedo);
    EXPECT_EQ(albedo[3], 4.0f);

    Texture2D* white = cache->get<Texture2D>("white");
    Texture2D* checker = Texture2D::checkerboard(*cache);
    material->setTexture("second", checker);
    material->setTexture("first", checker);
    material->setTexture("first", white);
    EXPECT_EQ(material->bindTextures(*graphics), 2u);

    GLuint unit = 0;
    for (const auto& [name, texture] : material->getTextures()) {
        GLint sampler = -1;
        glGetUniformiv(program->program, program->getUniformLocation(name), &sampler);
        EXPECT_EQ(sampler, static_cast<GLint>(unit)) << name;
        glActiveTexture(GL_TEXTURE0 + unit);
        GLint bound = 0;
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
        EXPECT_EQ(static_cast<GLuint>(bound), texture->getTexture()) << name;
        ++unit;
    }
    EXPECT_EQ(material->getTexture("first"), white);
    glActiveTexture(GL_TEXTURE0);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(MaterialTest, RenderStateGoesThroughTheCacheAndWireframeOverridesPolygonMode) {
    Material* material = cache->create<Material>("glass");
    material->setBlendMode(BlendMode::Alpha);
    material->setDepthWrite(false);
    material->setCullMode(CullMode::None);
    material->applyRenderState(*graphics, true);
    GLint polygon[2] = {};
    glGetIntegerv(GL_POLYGON_MODE, polygon);
    EXPECT_EQ(polygon[0], GL_LINE);
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    EXPECT_FALSE(glIsEnabled(GL_CULL_FACE));
    GLboolean depthMask = GL_TRUE;
    glGetBooleanv(GL_DEPTH_WRITEMASK, &depthMask);
    EXPECT_EQ(depthMask, GL_FALSE);

    const uint32_t before = graphics->stateCalls;
    material->applyRenderState(*graphics, true);
    EXPECT_EQ(graphics->stateCalls, before);
    material->applyRenderState(*graphics, false);
    glGetIntegerv(GL_POLYGON_MODE, polygon);
    EXPECT_EQ(polygon[0], GL_FILL);
    EXPECT_EQ(graphics->stateCalls, before + 1);
}

// Textures are read when the material is first drawn, the normal map only for a
// preset that draws it (and then when it is switched to).
TEST_F(MaterialTest, ConvertsImportedMaterialsSharingTexturesByPathReadWhenDrawn) {
    writeImage(assets.dir + "textures/bark.png");
    writeImage(assets.dir + "textures/bark_n.png");
    writeImage(assets.dir + "lightmaps/tree.png");

    aiMaterial trunk;
    const aiColor4D brown(0.5f, 0.25f, 0.125f, 0.75f);
    trunk.AddProperty(&brown, 1, AI_MATKEY_COLOR_DIFFUSE);
    addTexture(trunk, aiTextureType_DIFFUSE, "textures/bark.png");
    addTexture(trunk, aiTextureType_NORMALS, "textures/bark_n.png");
    addTexture(trunk, aiTextureType_LIGHTMAP, "lightmaps/tree.png");
    aiMaterial branch;
    addTexture(branch, aiTextureType_DIFFUSE, "textures/bark.png");

    LogCapture log;
    Material* a = cache->create<Material>("trunk");
    a->fromImport(trunk);
    Material* b = cache->create<Material>("branch");
    b->fromImport(branch);
    Texture2D* bark = cache->get<Texture2D>("textures/bark.png");
    Texture2D* barkNormal = cache->get<Texture2D>("textures/bark_n.png");
    ASSERT_NE(bark, nullptr);
    ASSERT_NE(barkNormal, nullptr);
    EXPECT_EQ(bark->getTexture(), 0u);
    EXPECT_FALSE(a->isDrawn());
    a->loadTextures(false);
    EXPECT_TRUE(a->isDrawn());
    EXPECT_NE(bark->getTexture(), 0u);
    EXPECT_NE(cache->get<Texture2D>("lightmaps/tree.png")->getTexture(), 0u);
    EXPECT_EQ(barkNormal->getTexture(), 0u);
    a->loadTextures(true);
    EXPECT_NE(barkNormal->getTexture(), 0u);
    EXPECT_EQ(barkNormal->getFormat(), TextureFormat::RedGreen) << "a normal map's x and y are all it needs";
    EXPECT_EQ(bark->getFormat(), TextureFormat::RGBA);
    EXPECT_TRUE(log.lines.empty());

    EXPECT_EQ(a->getShader(), cache->get<Shader>("default"));
    EXPECT_EQ(a->getUniform("albedo"), MaterialValue(glm::vec4(0.5f, 0.25f, 0.125f, 0.75f)));
    EXPECT_EQ(a->getDefines(), (std::vector<std::string>{"DIFFUSE", "NORMAL", "LIGHTMAP"}));
    EXPECT_EQ(a->getTexture("diffuseTex"), bark);
    EXPECT_EQ(a->getTexture("normalTex"), barkNormal);
    EXPECT_EQ(a->getTexture("lightmapTex"), cache->get<Texture2D>("lightmaps/tree.png"));

    EXPECT_EQ(b->getTexture("diffuseTex"), bark);
    // Without a normal map of its own it reads a flat one: normal-mapped materials' program.
    EXPECT_EQ(b->getTexture("normalTex"), Texture2D::flatNormal(*cache));
    EXPECT_EQ(b->getDefines(), (std::vector<std::string>{"DIFFUSE", "NORMAL"}));
}

// A missing and a damaged file are one case: logged, and never sampled as black.
TEST_F(MaterialTest, AnImportedTextureThatIsMissingOrDamagedIsLoggedAndNeverDrawnBlack) {
    assets.write("textures/half.png", "\x89PNG\r\n\x1a\n truncated");
    aiMaterial lost;
    addTexture(lost, aiTextureType_DIFFUSE, "textures/gone.png");
    aiMaterial damaged;
    addTexture(damaged, aiTextureType_DIFFUSE, "textures/half.png");
    addTexture(damaged, aiTextureType_NORMALS, "textures/half.png");
    addTexture(damaged, aiTextureType_LIGHTMAP, "textures/gone.png");
    LogCapture log;
    Material* a = cache->create<Material>("lost");
    a->fromImport(lost);
    Material* b = cache->create<Material>("damaged");
    b->fromImport(damaged);
    a->loadTextures(true);
    b->loadTextures(true);
    EXPECT_EQ(log.count("Texture not found: textures/gone.png"), 1);
    EXPECT_EQ(log.count("Texture not found: textures/half.png"), 1);
    for (const Material* material : {a, b}) {
        EXPECT_EQ(material->getTexture("diffuseTex"), cache->get<Texture2D>("default"));
        EXPECT_TRUE(material->hasDefine("DIFFUSE"));
    }
    EXPECT_EQ(b->getTexture("normalTex"), Texture2D::flatNormal(*cache));
    EXPECT_EQ(b->getTexture("lightmapTex"), nullptr);
    EXPECT_EQ(b->getDefines(), (std::vector<std::string>{"DIFFUSE", "NORMAL"}));
}

TEST_F(MaterialTest, DefinesAreAddedOnceAndTexturesStopAtNine) {
    Material* material = cache->create<Material>("many");
    material->addDefine("CUTOUT");
    material->addDefine("CUTOUT");
    EXPECT_EQ(material->getDefines().size(), 1u);
    Texture2D* white = cache->get<Texture2D>("white");
    LogCapture log;
    for (int i = 0; i < 10; ++i) {
        material->setTexture("t" + std::to_string(i), white);
    }
    EXPECT_EQ(material->getTextures().size(), Material::maxTextures);
    EXPECT_EQ(log.lines.size(), 1u);
    material->setTexture("t0", nullptr);
    EXPECT_EQ(material->getTexture("t0"), nullptr);
}
