// The default shader, read through Shader's preprocessor from the real assets
// folder and built for the define lists the renderer and the materials produce,
// must keep to the uniform and attribute names the renderer sends. (That every
// pair builds for every list is the shader check's job.)
#include "support/LogCapture.h"
#include "support/TestEngine.h"

#include "core/resources/ResourceCache.h"
#include "core/resources/Shader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

using Defines = std::vector<std::string>;

// In the renderer's order: shadows, light count, lightmap; then material defines.
std::vector<Defines> defaultLists() {
    std::vector<Defines> lists;
    const std::vector<Defines> shadows = {{}, {"SHADOW", "NUM_SHADOWMAPS 1"}, {"SHADOW", "NUM_SHADOWMAPS 2"}};
    const std::vector<Defines> materials = {
        {}, {"DIFFUSE"}, {"NORMAL"}, {"CUTOUT"}, {"DIFFUSE", "NORMAL"}, {"DIFFUSE", "NORMAL", "CUTOUT"}};
    for (const Defines& shadow : shadows) {
        for (const char* lights : {"NUM_LIGHTS 0", "NUM_LIGHTS 2"}) {
            for (const Defines& lightmap : {Defines{}, Defines{"LIGHTMAP"}}) {
                for (const Defines& material : materials) {
                    Defines list = shadow;
                    list.push_back(lights);
                    list.insert(list.end(), lightmap.begin(), lightmap.end());
                    list.insert(list.end(), material.begin(), material.end());
                    lists.push_back(list);
                }
            }
        }
    }
    return lists;
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
std::set<std::string> defaultContract() {
    std::istringstream words(
        "depthTex skybox skyMaxLod frame.dt frame.totalTime camera.near camera.far camera.position "
        "camera.eye camera.view camera.projection camera.viewProjection viewport.x viewport.y "
        "viewport.width viewport.height lights.type lights.radiance lights.position lights.direction "
        "lights.constant lights.linear lights.quadratic lights.innerAngle lights.outerAngle "
        "lights.castsShadows lights.shadowStrength lights.shadowBias lights.shadowMapIndex "
        "lights.shadowTexel ambientColor fogColor fogColorLinear fogStart fogRange brightness normals "
        "object.world object.normal object.worldView object.worldViewProjection lightViewProjection "
        "shadowWindows shadowWindowShifts shadowGrid shadowMaps lightMap albedo metallic roughness "
        "diffuseTex normalTex lightmapTex");
    return {std::istream_iterator<std::string>(words), std::istream_iterator<std::string>()};
}

class EngineShaderTest : public ::testing::Test {
protected:
    void SetUp() override {
        TW_REQUIRE_DISPLAY();
        engine = std::make_unique<TestEngine>();
    }

    std::unique_ptr<TestEngine> engine;
};

} // namespace

TEST_F(EngineShaderTest, DefaultBuildsForEveryRendererAndMaterialCombination) {
    Shader* shader = engine->get<ResourceCache>()->get<Shader>("default");
    ASSERT_NE(shader, nullptr);
    const std::set<std::string> contract = defaultContract();
    for (const Defines& defines : defaultLists()) {
        SCOPED_TRACE(::testing::PrintToString(defines));
        LogCapture log;
        const ShaderProgram& program = *shader->getProgram(defines);
        ASSERT_TRUE(program.isLinked());
        for (const LoggedLine& line : log.lines) {
            ADD_FAILURE() << line.text;
        }
        for (const auto& attribute : program.attributes) {
            EXPECT_EQ(meshAttributes.count(attribute.first), 1u) << "reads attribute " << attribute.first;
        }
        for (const std::string& uniform : program.uniforms) {
            EXPECT_EQ(contract.count(withoutIndices(uniform)), 1u)
                << "uniform " << uniform << " is sent by nobody";
        }
        // A define that is given must be used: its inputs are active.
        const auto has = [&defines](const std::string& define) {
            return std::find(defines.begin(), defines.end(), define) != defines.end();
        };
        const auto expectActive = [&program](bool wanted, const std::string& uniform) {
            EXPECT_TRUE(!wanted || program.hasUniform(uniform)) << "lacks " << uniform;
        };
        expectActive(has("DIFFUSE"), "diffuseTex");
        expectActive(has("NORMAL"), "normalTex");
        expectActive(has("LIGHTMAP"), "lightMap");
        expectActive(has("NUM_LIGHTS 2"), "lights[1].radiance");
        expectActive(has("NUM_SHADOWMAPS 2") && has("NUM_LIGHTS 2"), "shadowMaps[0]");
        expectActive(true, "object.worldViewProjection");
        // Meshes without a lightmap have no second uv set.
        EXPECT_TRUE(has("LIGHTMAP") || !program.hasAttribute("uv1"));
    }
}
