// Creation of the shared UI shaders and materials.
#include "core/ui/UIMaterials.h"

#include "core/platform/Log.h"
#include "core/resources/Material.h"
#include "core/resources/ResourceCache.h"
#include "core/resources/Shader.h"
#include "core/runtime/SystemRegistry.h"

namespace {

// Built-in copies of the UI shaders, used when their files cannot be read, so
// that a message about a broken or missing assets folder can still be shown.
const char* const builtInVertex = R"(#version 430 core
uniform mat4 worldViewProjection;
in vec3 position;
in vec2 uv0;
out vec2 vUv;
void main() {
    vUv = uv0;
    gl_Position = worldViewProjection * vec4(position, 1.0);
}
)";

const char* const builtInUiFragment = R"(#version 430 core
in vec2 vUv;
uniform sampler2D tex;
uniform vec4 color;
uniform float brightness;
out vec4 fragColor;
void main() {
    vec4 texel = texture(tex, vUv) * color;
    fragColor = vec4(texel.rgb * brightness, texel.a);
}
)";

const char* const builtInTextVertex = R"(#version 430 core
uniform mat4 worldViewProjection;
in vec3 position;
in vec2 uv0;
in float rim;
out vec2 vUv;
out float vRim;
void main() {
    vUv = uv0;
    vRim = rim;
    gl_Position = worldViewProjection * vec4(position, 1.0);
}
)";

const char* const builtInTextFragment = R"(#version 430 core
in vec2 vUv;
in float vRim;
uniform sampler2D tex;
uniform vec4 color;
uniform vec4 rimColor;
uniform float brightness;
out vec4 fragColor;
void main() {
    vec2 coverage = texture(tex, vUv).rg;
    vec4 tint = mix(color, rimColor, vRim);
    fragColor = vec4(tint.rgb * brightness, tint.a * mix(coverage.r, coverage.g, vRim));
}
)";

} // namespace

Material* ensureUIMaterial(SystemRegistry* systems, const std::string& name) {
    ResourceCache* cache = systems != nullptr ? systems->get<ResourceCache>() : nullptr;
    if (cache == nullptr) {
        return nullptr;
    }
    if (Material* existing = cache->get<Material>(name)) {
        return existing;
    }
    Shader* shader = cache->get<Shader>(name);
    if (shader == nullptr) {
        shader = cache->create<Shader>(name);
        if (!shader->load("core/shaders/" + name + ".vert", "core/shaders/" + name + ".frag") &&
            (name == "ui" || name == "text")) {
            logWarning("Using the built-in ", name, " shader");
            const bool ui = name == "ui";
            shader->setSources(ui ? builtInVertex : builtInTextVertex,
                               ui ? builtInUiFragment : builtInTextFragment);
        }
    }
    Material* material = cache->create<Material>(name);
    material->setShader(shader);
    material->setPolygonMode(PolygonMode::Fill);
    material->setBlendMode(BlendMode::Alpha);
    material->setCullMode(CullMode::None);
    material->setDepthFunc(DepthFunc::Always);
    material->setDepthWrite(false);
    return material;
}
