// Creation of the shared UI shaders and materials.
#include "core/ui/UIMaterials.h"

#include "core/platform/Log.h"
#include "core/resources/Material.h"
#include "core/resources/ResourceCache.h"
#include "core/resources/Shader.h"
#include "core/runtime/SystemRegistry.h"

namespace {

// Built-in copies of the two UI shaders, used when their files cannot be read, so
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

const char* const builtInTextFragment = R"(#version 430 core
in vec2 vUv;
uniform sampler2D tex;
uniform vec4 color;
uniform float brightness;
uniform vec4 rim;
out vec4 fragColor;
float coverageAt(vec2 uv) {
    vec2 inside = step(vec2(0.0), uv) * step(uv, vec2(1.0));
    return texture(tex, uv).r * inside.x * inside.y;
}
void main() {
    if (rim.z == 0.0) {
        fragColor = vec4(color.rgb * brightness, color.a * texture(tex, vUv).r);
        return;
    }
    vec2 uv = (vUv - 0.5) * (1.0 + 2.0 * rim.xy) + 0.5;
    const vec2 directions[8] = vec2[](vec2(1.0, 1.0), vec2(1.0, -1.0), vec2(-1.0, 1.0), vec2(-1.0, -1.0),
                                      vec2(1.4, 0.0), vec2(-1.4, 0.0), vec2(0.0, 1.4), vec2(0.0, -1.4));
    float through = 1.0;
    for (int i = 0; i < 8; ++i) {
        through *= 1.0 - color.a * coverageAt(uv - directions[i] * rim.zw);
    }
    fragColor = vec4(color.rgb * brightness, 1.0 - through);
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
            shader->setSources(builtInVertex, name == "ui" ? builtInUiFragment : builtInTextFragment);
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
