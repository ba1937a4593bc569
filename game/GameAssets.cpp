// Loading the game's shared resources through the cache.
#include "game/GameAssets.h"

#include "core/audio/Sound.h"
#include "core/platform/Log.h"
#include "core/resources/Material.h"
#include "core/resources/ResourceCache.h"
#include "core/resources/Shader.h"
#include "core/resources/Texture2D.h"
#include "core/runtime/SystemRegistry.h"
#include "core/ui/Font.h"
#include "core/ui/UITex.h"

#include <array>
#include <cmath>

namespace {

// Glyphs are rasterised once at this size and scaled to each text's height; big
// enough that the largest messages (about a fifth of the window) stay crisp.
constexpr int fontPixelSize = 72;

struct Wave {
    float amplitude;
    float frequency;
    float phase;
    glm::vec3 dir;
};

// The shader has room for seven; it reads only as many as the material names.
constexpr std::array<Wave, 3> waterWaves{{
    {0.5f, 0.6f, 6.0f, {0.2f, 1.0f, 0.0f}},
    {0.7f, 0.8f, 3.0f, {0.0f, 1.0f, 0.0f}},
    {0.35f, 0.8f, 2.1f, {-0.3f, 1.0f, 0.0f}},
}};

// From fonts-dejavu-core, which the game depends on.
const char* const systemFontPath = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf";

} // namespace

Font* loadDefaultFont(SystemRegistry* systems) {
    auto* cache = systems->get<ResourceCache>();
    if (Font* existing = cache->get<Font>(defaultFontName)) {
        return existing;
    }
    Font* font = cache->create<Font>(defaultFontName);
    if (!font->load("fonts/Bangers-Regular.ttf", fontPixelSize)) {
        // Prompts must show whatever happened to the game's own font.
        logWarning("Using the system font ", systemFontPath);
        font->load(systemFontPath, fontPixelSize);
    }
    return font;
}

Font* defaultFont(SystemRegistry* systems) {
    auto* cache = systems->get<ResourceCache>();
    return cache != nullptr ? cache->get<Font>(defaultFontName) : nullptr;
}

Texture2D* cachedTexture(SystemRegistry* systems, const std::string& name, const std::string& path,
                         TextureFormat as) {
    auto* cache = systems->get<ResourceCache>();
    if (Texture2D* existing = cache->get<Texture2D>(name)) {
        return existing;
    }
    Texture2D* texture = cache->create<Texture2D>(name);
    texture->load(path, as);
    return texture;
}

Texture2D* unloadedTexture(SystemRegistry* systems, const std::string& name) {
    auto* cache = systems->get<ResourceCache>();
    Texture2D* existing = cache->get<Texture2D>(name);
    return existing != nullptr ? existing : cache->create<Texture2D>(name);
}

void showOccasionalPicture(UITex& picture, const std::string& path, bool shown) {
    if (picture.texture == nullptr) {
        return;
    }
    if (!shown) {
        picture.texture->release();
    } else if (picture.texture->getTexture() == 0) {
        picture.texture->load(path);
        // Its proportions may be new.
        picture.changed = true;
    }
}

Sound* cachedSound(SystemRegistry* systems, const std::string& name, const std::string& path, bool is3D) {
    auto* cache = systems->get<ResourceCache>();
    if (Sound* existing = cache->get<Sound>(name)) {
        return existing;
    }
    Sound* sound = cache->create<Sound>(name);
    sound->load(path, is3D);
    return sound;
}

void registerWaterMaterial(SystemRegistry* systems) {
    auto* cache = systems->get<ResourceCache>();
    if (cache->exists<Material>("water")) {
        return;
    }
    auto* shader = cache->create<Shader>("waterMeshShader");
    shader->load("core/shaders/water.vert", "core/shaders/water.frag");
    Texture2D* normal =
        cachedTexture(systems, "waterNormal", racePicture::waterNormal, TextureFormat::RedGreen);
    // Ripples this faint differ too little from one mip level to the next for
    // a blend of two to show, and blending fetches twice the texels.
    normal->setMipLevelsBlended(false);

    auto* water = cache->create<Material>("water");
    water->setShader(shader);
    water->setRenderQueue(3);
    water->setBlendMode(BlendMode::Alpha);
    water->setDepthWrite(false);
    water->setCastsShadows(false);
    water->setReceivesShadows(false);
    water->setUniform("color", glm::vec3(0.4f, 0.9f, 1.0f));
    water->setUniform("alpha", 0.6f);
    water->setUniform("fadeDistance", 10.0f);
    water->setUniform("speedU", 0.01f);
    water->setUniform("speedV", 0.0f);
    water->setUniform("tiling", 0.9f);
    water->setUniform("normalStrength", 0.06f);
    water->setUniform("waterFogDistance", 350.0f);
    water->setUniform("waterFogRange", 150.0f);
    water->setTexture("normalMap", normal);
    float reach = 0.0f;
    for (size_t i = 0; i < waterWaves.size(); ++i) {
        reach += std::abs(waterWaves[i].amplitude);
        const std::string wave = "waves[" + std::to_string(i) + "].";
        water->setUniform(wave + "amplitude", waterWaves[i].amplitude);
        water->setUniform(wave + "frequency", waterWaves[i].frequency);
        water->setUniform(wave + "phase", waterWaves[i].phase);
        water->setUniform(wave + "dir", waterWaves[i].dir);
    }
    water->addDefine("WAVE_COUNT " + std::to_string(waterWaves.size()));
    // The waves lift and lower the surface by at most the sum of their heights.
    water->setVertexReach(reach);
}
