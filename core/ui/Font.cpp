// Rasterising a font with FreeType and packing its glyphs, with their
// outlines, into one atlas.
#include "core/ui/Font.h"

#include "core/platform/FileSystem.h"
#include "core/platform/Log.h"
#include "core/resources/ResourceLoader.h"
#include "core/resources/Texture2D.h"
#include "core/runtime/SystemRegistry.h"
#include "core/ui/TextSystem.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <numeric>
#include <vector>

namespace {

// Tightly packed rows, top row first, whatever pitch FreeType chose.
std::vector<unsigned char> packRows(const FT_Bitmap& bitmap) {
    const auto width = static_cast<size_t>(bitmap.width);
    const auto rows = static_cast<size_t>(bitmap.rows);
    const auto pitch = static_cast<size_t>(std::abs(bitmap.pitch));
    std::vector<unsigned char> packed(width * rows);
    for (size_t row = 0; row < rows; ++row) {
        // A negative pitch means FreeType stored the rows bottom-up.
        const size_t source = bitmap.pitch >= 0 ? row : rows - 1 - row;
        std::memcpy(packed.data() + row * width, bitmap.buffer + source * pitch, width);
    }
    return packed;
}

// TrueType, OpenType (CFF) and collection signatures: anything else is not handed to FreeType.
bool looksLikeFont(const unsigned char* data, size_t size) {
    if (size < 12) {
        return false;
    }
    const auto tagIs = [data](const char* tag) { return std::memcmp(data, tag, 4) == 0; };
    return tagIs("\x00\x01\x00\x00") || tagIs("OTTO") || tagIs("true") || tagIs("ttcf");
}

constexpr int firstPrintable = 33;
// In multiples of the pixel size: no real character is that large.
constexpr long maxGlyphSide = 4;

// An outline copy on an axis is shifted this many times as far as a diagonal
// copy is along each axis, so that all eight lie about as far from the glyph.
constexpr float axisShift = 1.4f;
// The eight directions an outline is shifted in, in multiples of its shift.
constexpr float outlineDirections[8][2] = {{1.0f, 1.0f},      {1.0f, -1.0f},     {-1.0f, 1.0f},
                                           {-1.0f, -1.0f},    {axisShift, 0.0f}, {-axisShift, 0.0f},
                                           {0.0f, axisShift}, {0.0f, -axisShift}};

struct Bitmap {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> coverage;
    // Where its cell starts in the atlas.
    int x = 0;
    int y = 0;
};

// The coverage of a bitmap, as a linearly filtered texture with nothing around
// it would give it, shifted by (shiftX, shiftY) texels: four texels at fixed
// offsets, with fixed weights.
struct Shift {
    Shift(float shiftX, float shiftY) {
        const float fx = std::floor(shiftX);
        const float fy = std::floor(shiftY);
        dx = static_cast<int>(fx);
        dy = static_cast<int>(fy);
        tx = shiftX - fx;
        ty = shiftY - fy;
    }
    int dx, dy;
    float tx, ty;
};

// Shelves of glyph cells, tallest first, in the narrowest power-of-two width
// that keeps the atlas about square. Returns the atlas size.
glm::ivec2 packCells(std::vector<Bitmap>& bitmaps, int padding) {
    size_t area = 0;
    for (const Bitmap& bitmap : bitmaps) {
        area += static_cast<size_t>(bitmap.width + 2 * padding) * (bitmap.height + 2 * padding);
    }
    int width = 64;
    while (static_cast<size_t>(width) * width < area) {
        width *= 2;
    }
    std::vector<size_t> order(bitmaps.size());
    std::iota(order.begin(), order.end(), size_t{0});
    std::stable_sort(order.begin(), order.end(),
                     [&bitmaps](size_t a, size_t b) { return bitmaps[a].height > bitmaps[b].height; });
    int x = 0;
    int y = 0;
    int shelf = 0;
    for (const size_t index : order) {
        Bitmap& bitmap = bitmaps[index];
        const int cellWidth = bitmap.width + 2 * padding;
        width = std::max(width, cellWidth);
        if (x + cellWidth > width) {
            x = 0;
            y += shelf;
            shelf = 0;
        }
        bitmap.x = x;
        bitmap.y = y;
        x += cellWidth;
        shelf = std::max(shelf, bitmap.height + 2 * padding);
    }
    return {width, y + shelf};
}

// Red: the glyphs' coverage. Green: their outlines', eight copies of the glyph
// shifted by shift texels in the eight directions and laid over each other at
// outlineOpacity. Rows top to bottom.
std::vector<unsigned char> paintAtlas(const std::vector<Bitmap>& bitmaps, glm::ivec2 size, int padding,
                                      float shift) {
    std::vector<unsigned char> pixels(static_cast<size_t>(size.x) * size.y * 2, 0);
    std::vector<Shift> shifts;
    for (const auto& direction : outlineDirections) {
        shifts.emplace_back(-direction[0] * shift, -direction[1] * shift);
    }
    // Each bitmap as floats inside a border of zeros wide enough for every
    // shifted read, so that the loop below needs no bounds checks.
    const int border = padding + static_cast<int>(std::ceil(axisShift * shift)) + 2;
    std::vector<float> coverage;
    for (const Bitmap& bitmap : bitmaps) {
        const int stride = bitmap.width + 2 * border;
        coverage.assign(static_cast<size_t>(stride) * (bitmap.height + 2 * border), 0.0f);
        for (int y = 0; y < bitmap.height; ++y) {
            for (int x = 0; x < bitmap.width; ++x) {
                coverage[static_cast<size_t>(y + border) * stride + x + border] =
                    static_cast<float>(bitmap.coverage[static_cast<size_t>(y) * bitmap.width + x]) / 255.0f;
            }
        }
        const auto at = [&coverage, stride, border](int x, int y) {
            return coverage[static_cast<size_t>(y + border) * stride + x + border];
        };
        for (int y = -padding; y < bitmap.height + padding; ++y) {
            unsigned char* row =
                &pixels[(static_cast<size_t>(bitmap.y + padding + y) * size.x + bitmap.x) * 2];
            for (int x = -padding; x < bitmap.width + padding; ++x) {
                float through = 1.0f;
                for (const Shift& shifted : shifts) {
                    const int u = x + shifted.dx;
                    const int v = y + shifted.dy;
                    const float top = at(u, v) + (at(u + 1, v) - at(u, v)) * shifted.tx;
                    const float bottom = at(u, v + 1) + (at(u + 1, v + 1) - at(u, v + 1)) * shifted.tx;
                    through *= 1.0f - Font::outlineOpacity * (top + (bottom - top) * shifted.ty);
                }
                unsigned char* texel = row + static_cast<size_t>(padding + x) * 2;
                texel[0] = static_cast<unsigned char>(std::lround(at(x, y) * 255.0f));
                texel[1] = static_cast<unsigned char>(std::lround((1.0f - through) * 255.0f));
            }
        }
    }
    return pixels;
}

} // namespace

Font::Font(SystemRegistry* systems) : Resource(systems) {}

Font::~Font() = default;

void Font::clear() {
    characters.clear();
    atlas.reset();
}

float Font::outlineReach() const {
    return axisShift * outlineShare * static_cast<float>(pixelSize);
}

bool Font::load(const std::string& path, int size) {
    clear();
    pixelSize = size;
    const ResourceLoader* loader = systems != nullptr ? systems->get<ResourceLoader>() : nullptr;
    std::string resolved = loader != nullptr ? loader->resolve(path) : path;
    if (resolved.empty()) {
        resolved = path;
    }
    std::string bytes;
    if (!readFile(resolved, bytes) || !loadFromMemory(resolved, bytes.data(), bytes.size(), size)) {
        logError("Failed to load font ", resolved);
        return false;
    }
    return true;
}

bool Font::loadFromMemory(const std::string& name, const void* data, size_t size, int newPixelSize) {
    clear();
    pixelSize = newPixelSize;
    const auto* bytes = static_cast<const unsigned char*>(data);
    const TextSystem* textSystem = systems != nullptr ? systems->get<TextSystem>() : nullptr;
    FT_Library library = textSystem != nullptr ? textSystem->getLibrary() : nullptr;
    FT_Face face = nullptr;
    if (library == nullptr || !looksLikeFont(bytes, size) || newPixelSize < 1 ||
        FT_New_Memory_Face(library, bytes, static_cast<FT_Long>(size), 0, &face) != 0) {
        return false;
    }
    // Outside the range TrueType allows, one em unit can scale to thousands of pixels.
    const bool unitsValid =
        !FT_IS_SCALABLE(face) || (face->units_per_EM >= 16 && face->units_per_EM <= 16384);
    if (!unitsValid || FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(newPixelSize)) != 0) {
        FT_Done_Face(face);
        return false;
    }
    std::vector<Bitmap> bitmaps;
    // Codes the font has no glyph for share one picture of its missing-glyph box.
    std::map<signed char, size_t> bitmapOf;
    size_t missingBox = SIZE_MAX;
    int printable = 0;
    for (int code = 0; code < numCodes; ++code) {
        // Outlines are measured before they are rendered: a damaged glyph can claim
        // a box thousands of pixels wide, which would take seconds to fill.
        const FT_GlyphSlot slot = face->glyph;
        if (FT_Load_Char(face, static_cast<FT_ULong>(code), FT_LOAD_DEFAULT) != 0 ||
            slot->metrics.width > maxGlyphSide * newPixelSize * 64 ||
            slot->metrics.height > maxGlyphSide * newPixelSize * 64 ||
            FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL) != 0) {
            logError("Failed to load Glyph ", code);
            continue;
        }
        if (slot->bitmap.width == 0 || slot->bitmap.rows == 0 || slot->bitmap.buffer == nullptr) {
            continue;
        }
        printable += code >= firstPrintable ? 1 : 0;
        const auto key = static_cast<signed char>(code);
        const bool missing = FT_Get_Char_Index(face, static_cast<FT_ULong>(code)) == 0;
        if (!missing || missingBox == SIZE_MAX) {
            Bitmap bitmap;
            bitmap.width = static_cast<int>(slot->bitmap.width);
            bitmap.height = static_cast<int>(slot->bitmap.rows);
            bitmap.coverage = packRows(slot->bitmap);
            bitmaps.push_back(std::move(bitmap));
            if (missing) {
                missingBox = bitmaps.size() - 1;
            }
        }
        bitmapOf[key] = missing ? missingBox : bitmaps.size() - 1;
        Glyph glyph;
        glyph.width = static_cast<int>(slot->bitmap.width);
        glyph.height = static_cast<int>(slot->bitmap.rows);
        glyph.bearingX = slot->bitmap_left;
        glyph.bearingY = slot->bitmap_top;
        glyph.advance = static_cast<uint32_t>(slot->advance.x);
        characters[key] = glyph;
    }
    FT_Done_Face(face);
    constexpr int printableCodes = numCodes - firstPrintable;
    if (printable < printableCodes / 2) {
        logError("Font ", name, " is damaged: ", printable, " of ", printableCodes, " characters");
        clear();
        return false;
    }
    // Room for the outline around every glyph, and two empty texels more so
    // that the first smaller mip levels do not blend neighbours in.
    const float shift = outlineShare * static_cast<float>(pixelSize);
    const int padding = static_cast<int>(std::ceil(outlineReach())) + 2;
    const glm::ivec2 atlasSize = packCells(bitmaps, padding);
    const std::vector<unsigned char> pixels = paintAtlas(bitmaps, atlasSize, padding, shift);
    atlas = std::make_unique<Texture2D>(systems);
    atlas->create(atlasSize.x, atlasSize.y, TextureFormat::RedGreen, pixels.data());
    const glm::vec2 texels(atlasSize);
    for (auto& [code, glyph] : characters) {
        const Bitmap& bitmap = bitmaps[bitmapOf[code]];
        glyph.texture = atlas.get();
        glyph.uvLow = glm::vec2(bitmap.x + padding, bitmap.y + padding) / texels;
        glyph.uvHigh =
            glm::vec2(bitmap.x + padding + bitmap.width, bitmap.y + padding + bitmap.height) / texels;
    }
    return true;
}

Glyph Font::getGlyph(char code) const {
    auto it = characters.find(static_cast<signed char>(code));
    if (it == characters.end()) {
        it = characters.find('a');
    }
    return it != characters.end() ? it->second : Glyph{};
}
