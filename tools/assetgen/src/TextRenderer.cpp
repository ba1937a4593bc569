// See TextRenderer.h.
#include "TextRenderer.h"

#include "Output.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>

TextRenderer::TextRenderer(const std::string& fontPath) {
    if (FT_Init_FreeType(&library) != 0) {
        Output::fail("FreeType could not start");
        library = nullptr;
        return;
    }
    if (FT_New_Face(library, fontPath.c_str(), 0, &face) != 0) {
        Output::fail("Cannot load font " + fontPath);
        face = nullptr;
    }
}

TextRenderer::~TextRenderer() {
    if (face)
        FT_Done_Face(face);
    if (library)
        FT_Done_FreeType(library);
}

int TextRenderer::measure(const std::string& text, int pixelSize) const {
    if (!face)
        return 0;
    FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(pixelSize));
    long width = 0;
    for (unsigned char c : text) {
        if (FT_Load_Char(face, c, FT_LOAD_DEFAULT) == 0)
            width += face->glyph->advance.x;
    }
    return static_cast<int>(width / 64);
}

void TextRenderer::drawPass(Image& image, const std::string& text, int x, int y, int pixelSize,
                            const glm::vec4& colour, int dilate) const {
    FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(pixelSize));
    long pen = static_cast<long>(x) * 64;
    for (unsigned char c : text) {
        if (FT_Load_Char(face, c, FT_LOAD_RENDER) != 0)
            continue;
        const FT_GlyphSlot g = face->glyph;
        const FT_Bitmap& bitmap = g->bitmap;
        const int left = static_cast<int>(pen / 64) + g->bitmap_left;
        const int top = y - g->bitmap_top;
        const int rows = static_cast<int>(bitmap.rows), cols = static_cast<int>(bitmap.width);
        for (int r = -dilate; r < rows + dilate; ++r) {
            for (int col = -dilate; col < cols + dilate; ++col) {
                // Coverage of this pixel, grown by the outline's width.
                float coverage = 0.0f;
                for (int dy = -dilate; dy <= dilate; ++dy) {
                    for (int dx = -dilate; dx <= dilate; ++dx) {
                        if (dx * dx + dy * dy > dilate * dilate + dilate)
                            continue;
                        const int sr = r + dy, sc = col + dx;
                        if (sr < 0 || sc < 0 || sr >= rows || sc >= cols)
                            continue;
                        coverage = std::max(coverage, bitmap.buffer[sr * bitmap.pitch + sc] / 255.0f);
                    }
                }
                if (coverage > 0.0f)
                    image.blend(left + col, top + r, glm::vec4(glm::vec3(colour), colour.a * coverage));
            }
        }
        pen += g->advance.x;
    }
}

void TextRenderer::draw(Image& image, const std::string& text, int x, int y, int pixelSize,
                        const glm::vec4& colour, int outline, const glm::vec4& outlineColour) const {
    if (!face)
        return;
    if (outline > 0)
        drawPass(image, text, x, y, pixelSize, outlineColour, outline);
    drawPass(image, text, x, y, pixelSize, colour, 0);
}

void TextRenderer::drawCentred(Image& image, const std::string& text, int x, int y, int pixelSize,
                               const glm::vec4& colour, int outline, const glm::vec4& outlineColour) const {
    draw(image, text, x - measure(text, pixelSize) / 2, y, pixelSize, colour, outline, outlineColour);
}
