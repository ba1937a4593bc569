// A TrueType font rasterised once at one pixel size: the character codes 0 to
// 126, each with its metrics and its place in one atlas texture for them all.
// The atlas holds each glyph's coverage in red and the coverage of its outline
// in green (the glyph grown by outlineShare of the pixel size, as eight shifted
// copies would cover), so an outlined text costs one texture read per pixel and
// a whole string is one draw.
#pragma once

#include "core/resources/Resource.h"
#include "core/ui/Glyph.h"

#include <map>
#include <memory>
#include <string>

class Texture2D;

class Font : public Resource {
public:
    explicit Font(SystemRegistry* systems);
    ~Font() override;

    // Rasterises the font at path (relative to the assets folder). A missing or
    // unreadable file logs "Failed to load font <path>" and leaves no glyphs;
    // a failing character logs "Failed to load Glyph <code>" and is skipped.
    // A font whose bytes are not TrueType/OpenType, or that yields fewer than half
    // of the printable ASCII characters (a truncated file), counts as unreadable.
    bool load(const std::string& path, int pixelSize);
    // The same from a font file's bytes; name is only for the log.
    bool loadFromMemory(const std::string& name, const void* data, size_t size, int pixelSize);

    // The glyph of code; a code without glyph gives the glyph of "a", and an
    // all-zero glyph (no texture) when "a" is missing too.
    Glyph getGlyph(char code) const;
    bool hasGlyph(char code) const { return characters.count(static_cast<signed char>(code)) != 0; }

    int getPixelSize() const { return pixelSize; }
    size_t getGlyphCount() const { return characters.size(); }
    // Null until a font has loaded.
    Texture2D* getAtlas() const { return atlas.get(); }
    // How far the outline reaches past a glyph's bitmap, in the font's pixels:
    // the rim's quad grows by this much on every side.
    float outlineReach() const;

    static constexpr int numCodes = 127;
    // The outline's shift, as a share of the pixel size; it is shifted in eight
    // directions, 1.4 times as far along the axes as along the diagonals.
    static constexpr float outlineShare = 0.06f;
    // How opaque each of the eight copies is: where several overlap the outline
    // is nearly solid, at its soft edge it lets the background through.
    static constexpr float outlineOpacity = 0.8f;

private:
    void clear();

    int pixelSize = 0;
    std::map<signed char, Glyph> characters;
    std::unique_ptr<Texture2D> atlas;
};
