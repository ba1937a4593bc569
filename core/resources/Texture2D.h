// A 2D texture: loaded from an image file, or made from memory (the built-in
// textures, render-target attachments, glyph images).
#pragma once

#include "core/resources/Texture.h"

#include <cstdint>
#include <string>

class ResourceCache;

// Depth is 16-bit depth alone: half the memory of DepthStencil, for shadow maps.
enum class TextureFormat : int32_t { RGB = 0, RGBA = 1, Red = 2, DepthStencil = 3, RedGreen = 4, Depth = 5 };

class Texture2D : public Texture {
public:
    explicit Texture2D(SystemRegistry* systems);

    TextureType getType() const override { return TextureType::Texture2D; }

    // Loads an image (path relative to the assets folder) as RGBA, mipmapped and
    // repeating. A missing or unreadable file logs "Texture not found: <path>",
    // leaves the texture without GL storage and returns false. As RedGreen only
    // the picture's red and green are kept (blue reads 0), in half the memory:
    // for pictures whose readers want no more, like lightmaps and normal maps.
    bool load(const std::string& path, TextureFormat as = TextureFormat::RGBA);

    // Names the file load would read, without reading it: for a picture that
    // may never be drawn (a material of a kart the race leaves out, a normal map
    // the preset does not sample). loadSource reads it.
    void setSource(const std::string& path, TextureFormat as = TextureFormat::RGBA);
    // Reads the file setSource named, the first time only. Whether the texture
    // holds a picture (false for a file that is missing or cannot be decoded).
    bool loadSource();
    // Named by setSource and not read yet.
    bool isPending() const { return pending; }
    // Whether setSource named its file (loaded or not).
    bool hasSource() const { return !source.empty(); }

    // Frees the GL storage (on a software rasteriser, heap memory) of a picture
    // that stays off screen for a while; its size stays known. Loading it again
    // brings it back.
    void release();

    // Whether a lookup between two mip levels blends them (the default) or
    // reads the nearer one only: half the texel reads, for a step where the
    // level changes that maps of fine detail do not show. A picture loaded
    // from a file whose levels look alike (MipChain::levelsAlike) reads one.
    void setMipLevelsBlended(bool blended);
    // For one-level storage drawn into (made without pixels): whether a lookup
    // takes the nearest texel or blends the four around it (the default).
    void setNearestTexel(bool nearest);

    // Makes the texture from tightly packed rows, bottom row first; pixels may be
    // null for uninitialised storage of one level. Colour formats are clamped and
    // mipmapped when pixels are given;
    // DepthStencil and Depth are unfiltered, unmipmapped and read depth 1 outside
    // their border.
    void create(int width, int height, TextureFormat format, const void* pixels);

    TextureFormat getFormat() const { return format; }
    float getWidth() const { return width; }
    float getHeight() const { return height; }

    // "default" (grey checkerboard, shown where a texture is missing; its pixels
    // are made by checkerboard, the first time one is) and "white".
    static void createBuiltIns(ResourceCache& cache);
    // The texture "default" with its pixels, made on the first call: a scene
    // whose every texture is found holds none of its memory.
    static Texture2D* checkerboard(ResourceCache& cache);
    // The texture "flatNormal", made on the first call: a normal map that bends
    // nothing, stored and sampled as an imported one is (red and green, two
    // levels, repeating, the nearer level read), so that a shader variant drawing
    // either is one and the same to the driver.
    static Texture2D* flatNormal(ResourceCache& cache);

private:
    void generate();
    void repeat();

    TextureFormat format = TextureFormat::RGBA;
    std::string source;
    TextureFormat sourceFormat = TextureFormat::RGBA;
    bool pending = false;
    bool mipLevelsBlended = true;
    float width = 0.0f;
    float height = 0.0f;
};
