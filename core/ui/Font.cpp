// Rasterising a font into one texture per glyph with FreeType.
#include "core/ui/Font.h"

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
    const TextSystem* textSystem = systems != nullptr ? systems->get<TextSystem>() : nullptr;
    FT_Library library = textSystem != nullptr ? textSystem->getLibrary() : nullptr;
    FT_Face face = nullptr;
    if (library == nullptr || FT_New_Face(library, resolved.c_str(), 0, &face) != 0) {
        logError("Failed to load font ", resolved);
        return false;
    }
    FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(size));
    const bool gl = hasGLContext();
    GLint previousAlignment = 4;
    if (gl) {
        // Glyph rows are tightly packed bytes.
        glGetIntegerv(GL_UNPACK_ALIGNMENT, &previousAlignment);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    }
    for (int code = 0; code < numCodes; ++code) {
        if (FT_Load_Char(face, static_cast<FT_ULong>(code), FT_LOAD_RENDER) != 0) {
            logError("Failed to load Glyph ", code);
            continue;
        }
        const FT_GlyphSlot slot = face->glyph;
        if (slot->bitmap.width == 0) {
            continue;
        }
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
    return true;
}

Glyph Font::getGlyph(char code) const {
    auto it = characters.find(static_cast<signed char>(code));
    if (it == characters.end()) {
        it = characters.find('a');
    }
    return it != characters.end() ? it->second : Glyph{};
}
