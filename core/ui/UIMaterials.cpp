// Creation of the shared UI shaders and materials.
#include "core/ui/UIMaterials.h"

#include "core/resources/Material.h"
#include "core/resources/ResourceCache.h"
#include "core/resources/Shader.h"
#include "core/runtime/SystemRegistry.h"

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
        shader->load("core/shaders/" + name + ".vert", "core/shaders/" + name + ".frag");
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
