// Material values, the renderer's binding helpers, import conversion and the built-in materials.
#include "core/resources/Material.h"

#include "core/platform/Log.h"
#include "core/render/Graphics.h"
#include "core/resources/ResourceCache.h"
#include "core/resources/Shader.h"
#include "core/resources/Texture.h"
#include "core/resources/Texture2D.h"

#include <assimp/material.h>

#include <algorithm>
#include <array>

Material::Material(SystemRegistry* systems) : Resource(systems) {}

void Material::setUniform(const std::string& name, const MaterialValue& value) {
    uniforms[name] = value;
    namesInterned = false;
}

void Material::setTexture(const std::string& name, Texture* texture) {
    namesInterned = false;
    if (texture == nullptr) {
        textures.erase(name);
        return;
    }
    if (textures.count(name) == 0 && textures.size() >= maxTextures) {
        logWarning("Material '", getName(), "' has no texture unit left for '", name, "'.");
        return;
    }
    textures[name] = texture;
}

void Material::addDefine(const std::string& define) {
    if (!hasDefine(define)) {
        defines.push_back(define);
    }
}

MaterialValue Material::getUniform(const std::string& name) const {
    const auto it = uniforms.find(name);
    return it == uniforms.end() ? MaterialValue() : it->second;
}

Texture* Material::getTexture(const std::string& name) const {
    const auto it = textures.find(name);
    return it == textures.end() ? nullptr : it->second;
}

bool Material::hasDefine(const std::string& define) const {
    return std::find(defines.begin(), defines.end(), define) != defines.end();
}

void Material::applyRenderState(Graphics& graphics, bool wireframe) const {
    graphics.setPolygonMode(wireframe ? PolygonMode::Line : polygonMode);
    graphics.setBlendMode(blendMode);
    graphics.setBlendColor(blendColor);
    graphics.setCullMode(cullMode);
    graphics.setDepthFunc(depthFunc);
    graphics.setDepthWrite(depthWrite);
}

void Material::internNames() const {
    if (namesInterned) {
        return;
    }
    uniformIds.clear();
    for (const auto& entry : uniforms) {
        uniformIds.emplace_back(entry.first);
    }
    textureIds.clear();
    for (const auto& entry : textures) {
        textureIds.emplace_back(entry.first);
    }
    namesInterned = true;
}

void Material::sendUniforms(Graphics& graphics) const {
    internNames();
    size_t index = 0;
    for (const auto& entry : uniforms) {
        const MaterialValue& value = entry.second;
        const UniformId name = uniformIds[index++];
        switch (value.getType()) {
        case MaterialValue::Type::Int:
            graphics.setUniform(name, static_cast<int>(value.asInt()));
            break;
        case MaterialValue::Type::Float:
            graphics.setUniform(name, value.asFloat());
            break;
        case MaterialValue::Type::Vec3:
            graphics.setUniform(name, value.asVec3());
            break;
        case MaterialValue::Type::Vec4:
            graphics.setUniform(name, value.asVec4());
            break;
        case MaterialValue::Type::None:
            break;
        }
    }
}

uint32_t Material::bindTextures(Graphics& graphics) const {
    internNames();
    uint32_t unit = 0;
    for (const auto& entry : textures) {
        graphics.bindTexture(unit, entry.second);
        graphics.setUniform(textureIds[unit], static_cast<int>(unit));
        ++unit;
    }
    return unit;
}

namespace {

// The samplers an import fills, from which of the file's textures, with the
// define each one adds.
struct ImportedSampler {
    aiTextureType type;
    const char* sampler;
    const char* define;
};
constexpr std::array<ImportedSampler, 3> importedSamplers{{
    {aiTextureType_DIFFUSE, "diffuseTex", "DIFFUSE"},
    {aiTextureType_NORMALS, "normalTex", "NORMAL"},
    {aiTextureType_LIGHTMAP, "lightmapTex", "LIGHTMAP"},
}};

} // namespace

void Material::importTexture(const aiMaterial& imported, int type, const std::string& sampler,
                             const std::string& define) {
    aiString path;
    if (imported.GetTexture(static_cast<aiTextureType>(type), 0, &path) != aiReturn_SUCCESS) {
        return;
    }
    ResourceCache* cache = systems != nullptr ? systems->get<ResourceCache>() : nullptr;
    if (cache == nullptr) {
        return;
    }
    // Materials naming the same file share one texture, read the first time one is drawn.
    const std::string name(path.C_Str());
    Texture2D* texture = cache->get<Texture2D>(name);
    if (texture == nullptr) {
        texture = cache->create<Texture2D>(name);
        const bool normalMap = sampler == "normalTex";
        // A normal map's x and y say all: the shader works out z (unpackNormal).
        texture->setSource(name, normalMap ? TextureFormat::RedGreen : TextureFormat::RGBA);
        // A normal map's bumps differ too little from one level to the next
        // for the blend to show in the shading, and it doubles the map's reads.
        texture->setMipLevelsBlended(!normalMap);
    }
    addDefine(define);
    setTexture(sampler, texture);
}

bool Material::reads(const std::string& sampler, bool normalMaps) {
    return normalMaps || sampler != "normalTex";
}

std::vector<std::string> Material::picturesOf(const aiMaterial& imported, bool normalMaps) {
    std::vector<std::string> paths;
    for (const ImportedSampler& imports : importedSamplers) {
        aiString path;
        if (reads(imports.sampler, normalMaps) &&
            imported.GetTexture(imports.type, 0, &path) == aiReturn_SUCCESS) {
            paths.emplace_back(path.C_Str());
        }
    }
    return paths;
}

std::vector<std::string> Material::unreadPictures(bool normalMaps) const {
    std::vector<std::string> paths;
    for (const auto& [sampler, texture] : textures) {
        const auto* picture = dynamic_cast<const Texture2D*>(texture);
        if (picture != nullptr && picture->isPending() && reads(sampler, normalMaps)) {
            paths.push_back(picture->getName());
        }
    }
    return paths;
}

void Material::loadTextures(bool normalMaps) {
    drawn = true;
    ResourceCache* cache = systems != nullptr ? systems->get<ResourceCache>() : nullptr;
    for (const auto& [type, sampler, define] : importedSamplers) {
        auto* texture = dynamic_cast<Texture2D*>(getTexture(sampler));
        if (texture == nullptr || !texture->hasSource() || !reads(sampler, normalMaps)) {
            continue;
        }
        if (texture->loadSource()) {
            continue;
        }
        // Missing or undecodable: an unbound sampler reads black. The colour map
        // falls back to the "no texture here" checkerboard, the normal map to a
        // flat one; the lightmap is left out.
        Texture2D* fallback = nullptr;
        if (cache != nullptr && sampler == std::string("diffuseTex")) {
            fallback = Texture2D::checkerboard(*cache);
        } else if (cache != nullptr && sampler == std::string("normalTex")) {
            fallback = Texture2D::flatNormal(*cache);
        }
        setTexture(sampler, fallback);
        if (fallback == nullptr) {
            defines.erase(std::remove(defines.begin(), defines.end(), define), defines.end());
        }
    }
}

void Material::fromImport(const aiMaterial& imported) {
    ResourceCache* cache = systems != nullptr ? systems->get<ResourceCache>() : nullptr;
    shader = cache != nullptr ? cache->get<Shader>("default") : nullptr;
    aiColor4D diffuse(1.0f, 1.0f, 1.0f, 1.0f);
    imported.Get(AI_MATKEY_COLOR_DIFFUSE, diffuse);
    setUniform("albedo", glm::vec4(diffuse.r, diffuse.g, diffuse.b, diffuse.a));
    setUniform("metallic", 0.0f);
    setUniform("roughness", 0.5f);
    for (const ImportedSampler& imports : importedSamplers) {
        importTexture(imported, imports.type, imports.sampler, imports.define);
    }
    // Without a normal map of its own a textured material reads a flat one: it
    // then draws with the program of the normal-mapped materials around it, not
    // one of its own. On a software rasteriser a program holds a megabyte or
    // more; the read costs its pixels little. Presets that draw no normal maps
    // leave the define out for every material alike.
    if (cache != nullptr && hasDefine("DIFFUSE") && !hasDefine("NORMAL")) {
        addDefine("NORMAL");
        setTexture("normalTex", Texture2D::flatNormal(*cache));
    }
}

void Material::createBuiltIns(ResourceCache& cache) {
    Material* standard = cache.create<Material>("default");
    standard->setShader(cache.get<Shader>("default"));
    standard->setUniform("albedo", glm::vec4(1.0f));
    standard->setUniform("metallic", 0.0f);
    standard->setUniform("roughness", 0.5f);
    standard->setTexture("diffuseTex", cache.get<Texture2D>("default"));
    standard->addDefine("DIFFUSE");

    Material* wireframe = cache.create<Material>("wireframe");
    wireframe->setShader(cache.get<Shader>("color"));
    wireframe->setUniform("color", glm::vec3(0.0f, 1.0f, 1.0f));
}
