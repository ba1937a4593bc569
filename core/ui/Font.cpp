// Rasterising a font into one texture per glyph with FreeType.
#include "core/ui/Font.h"

#include "core/platform/FileSystem.h"
#include "core/platform/Log.h"
#include "core/resources/GLContext.h"
#include "core/resources/ResourceLoader.h"
#include "core/resources/Texture2D.h"
#include "core/runtime/SystemRegistry.h"
#include "core/ui/TextSystem.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <cstdlib>
#include <cstring>
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

} // namespace

Font::Font(SystemRegistry* systems) : Resource(systems) {}

Font::~Font() = default;

void Font::clear() {
    characters.clear();
    textures.clear();
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
    const bool gl = hasGLContext();
    GLint previousAlignment = 4;
    if (gl) {
        // Glyph rows are tightly packed bytes.
        glGetIntegerv(GL_UNPACK_ALIGNMENT, &previousAlignment);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    }
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
        auto texture = std::make_unique<Texture2D>(systems);
        const std::vector<unsigned char> pixels = packRows(slot->bitmap);
        texture->create(static_cast<int>(slot->bitmap.width), static_cast<int>(slot->bitmap.rows),
                        TextureFormat::Red, pixels.data());
        Glyph glyph;
        glyph.texture = texture.get();
        glyph.width = static_cast<int>(slot->bitmap.width);
        glyph.height = static_cast<int>(slot->bitmap.rows);
        glyph.bearingX = slot->bitmap_left;
        glyph.bearingY = slot->bitmap_top;
        glyph.advance = static_cast<uint32_t>(slot->advance.x);
        textures[key] = std::move(texture);
        characters[key] = glyph;
    }
    if (gl) {
        glPixelStorei(GL_UNPACK_ALIGNMENT, previousAlignment);
    }
    FT_Done_Face(face);
    constexpr int printableCodes = numCodes - firstPrintable;
    if (printable < printableCodes / 2) {
        logError("Font ", name, " is damaged: ", printable, " of ", printableCodes, " characters");
        clear();
        return false;
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
