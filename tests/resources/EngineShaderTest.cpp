// The engine's own shader pairs, read through Shader's preprocessor from the
// real assets folder and built by the driver for the define lists the
// renderer and the materials produce; the default shader must also keep to
// the uniform and attribute names the renderer sends.
#include "support/LogCapture.h"
#include "support/TestEngine.h"

#include "core/resources/ResourceCache.h"
#include "core/resources/Shader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

namespace {

using Defines = std::vector<std::string>;

// In the renderer's order: shadows, light count, lightmap; then material defines.
std::vector<Defines> rendererLists(bool withLightmap) {
    std::vector<Defines> lists;
    const std::vector<Defines> shadows = {{}, {"SHADOW", "NUM_SHADOWMAPS 1"}, {"SHADOW", "NUM_SHADOWMAPS 2"}};
    for (const Defines& shadow : shadows) {
        for (int lights : {0, 2}) {
            for (bool lightmap : {false, true}) {
                if (lightmap && !withLightmap) {
                    continue;
                }
                Defines list = shadow;
                list.push_back("NUM_LIGHTS " + std::to_string(lights));
                if (lightmap) {
                    list.push_back("LIGHTMAP");
                }
                lists.push_back(list);
            }
        }
    }
    return lists;
}

std::vector<Defines> defaultLists() {
    std::vector<Defines> lists;
    const std::vector<Defines> materials = {
        {}, {"DIFFUSE"}, {"NORMAL"}, {"CUTOUT"}, {"DIFFUSE", "NORMAL"}, {"DIFFUSE", "NORMAL", "CUTOUT"}};
    for (const Defines& renderer : rendererLists(true)) {
        for (const Defines& material : materials) {
            Defines list = renderer;
            list.insert(list.end(), material.begin(), material.end());
            lists.push_back(list);
        }
    }
    return lists;
}

std::string describe(const Defines& defines) {
    std::string text;
    for (const std::string& define : defines) {
        text += (text.empty() ? "" : ", ") + define;
    }
    return "[" + text + "]";
}

// "lights[1].color" -> "lights.color", "shadowMaps[0]" -> "shadowMaps".
std::string withoutIndices(const std::string& name) {
    std::string result;
    bool inIndex = false;
    for (char c : name) {
        inIndex = c == '[' || (inIndex && c != ']');
        if (!inIndex && c != ']') {
            result += c;
        }
    }
    return result;
}

const std::set<std::string> meshAttributes = {"position", "normal", "tangent", "bitangent", "uv0", "uv1"};

// Everything the renderer and the materials send to a default-shaded item.
const std::set<std::string> defaultContract = {
    "depthTex", "skybox", "frame.dt", "frame.totalTime", "camera.near", "camera.far", "camera.position",
    "camera.eye", "camera.view", "camera.projection", "camera.viewProjection", "viewport.x", "viewport.y",
    "viewport.width", "viewport.height", "lights.type", "lights.color", "lights.position", "lights.direction",
    "lights.intensity", "lights.constant", "lights.linear", "lights.quadratic", "lights.innerAngle",
    "lights.outerAngle", "lights.castsShadows", "lights.shadowStrength", "lights.shadowBias",
    "lights.shadowMapIndex", "ambientColor", "fogColor", "fogStart", "fogRange", "brightness", "normals",
    "object.world", "object.normal", "object.worldView", "object.worldViewProjection", "lightViewProjection",
    "shadowMaps", "lightMap", "albedo", "metallic", "roughness", "diffuseTex", "normalTex", "lightmapTex"};

class EngineShaderTest : public ::testing::Test {
protected:
    void SetUp() override {
        TW_REQUIRE_DISPLAY();
        engine = std::make_unique<TestEngine>();
        cache = engine->get<ResourceCache>();
    }

    Shader* load(const std::string& name) {
        Shader* shader = cache->get<Shader>(name);
        if (shader == nullptr) {
            shader = cache->create<Shader>(name);
            EXPECT_TRUE(shader->load("core/shaders/" + name + ".vert", "core/shaders/" + name + ".frag"))
                << name;
        }
        return shader;
    }

    // Builds every list; returns the programs, and fails with the driver's words on any error.
    std::vector<ShaderProgram*> build(const std::string& name, const std::vector<Defines>& lists) {
        Shader* shader = load(name);
        std::vector<ShaderProgram*> programs;
        for (const Defines& defines : lists) {
            LogCapture log;
            ShaderProgram* program = shader->getProgram(defines);
            EXPECT_TRUE(program->isLinked()) << name << " " << describe(defines);
            for (const LoggedLine& line : log.lines) {
                ADD_FAILURE() << name << " " << describe(defines) << ": " << line.text;
            }
            for (const auto& attribute : program->attributes) {
                EXPECT_EQ(meshAttributes.count(attribute.first), 1u)
                    << name << " " << describe(defines) << " reads attribute " << attribute.first;
            }
            programs.push_back(program);
        }
        return programs;
    }

    std::unique_ptr<TestEngine> engine;
    ResourceCache* cache = nullptr;
};

} // namespace

TEST_F(EngineShaderTest, DefaultBuildsForEveryRendererAndMaterialCombination) {
    const std::vector<Defines> lists = defaultLists();
    const std::vector<ShaderProgram*> programs = build("default", lists);
    for (size_t i = 0; i < programs.size(); ++i) {
        const ShaderProgram& program = *programs[i];
        for (const std::string& uniform : program.uniforms) {
            EXPECT_EQ(defaultContract.count(withoutIndices(uniform)), 1u)
                << describe(lists[i]) << ": uniform " << uniform << " is sent by nobody";
        }
        // A define that is given must be used: its inputs are active.
        const auto has = [&lists, i](const std::string& define) {
            return std::find(lists[i].begin(), lists[i].end(), define) != lists[i].end();
        };
        const auto expectActive = [&](bool wanted, const std::string& uniform) {
            if (wanted) {
                EXPECT_TRUE(program.hasUniform(uniform)) << describe(lists[i]) << " lacks " << uniform;
            }
        };
        expectActive(has("DIFFUSE"), "diffuseTex");
        expectActive(has("NORMAL"), "normalTex");
        expectActive(has("LIGHTMAP"), "lightMap");
        expectActive(has("NUM_LIGHTS 2"), "lights[1].color");
        expectActive(has("NUM_SHADOWMAPS 2") && has("NUM_LIGHTS 2"), "shadowMaps[0]");
        expectActive(true, "object.worldViewProjection");
    }
    // The material defines change nothing about the attributes a plain mesh lacks.
    EXPECT_FALSE(programs.front()->hasAttribute("uv1"));
}

TEST_F(EngineShaderTest, TheOtherEnginePairsBuildWithAndWithoutRendererDefines) {
    std::vector<Defines> lists = rendererLists(false);
    lists.insert(lists.begin(), Defines{});
    for (const char* name : {"quad2d", "depth", "skybox", "text", "ui"}) {
        build(name, lists);
    }
}

TEST_F(EngineShaderTest, TheDepthPassNeedsOnlyPositions) {
    ShaderProgram* program = load("depth")->getProgram(std::string());
    ASSERT_TRUE(program->isLinked());
    ASSERT_EQ(program->attributes.size(), 1u);
    EXPECT_EQ(program->attributes[0].first, "position");
    EXPECT_TRUE(program->hasUniform("object.worldViewProjection"));
}
