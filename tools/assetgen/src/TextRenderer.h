// Draws text into Images with FreeType from the game's own font, for the title
// art, help screen, banners and icons.
#pragma once

#include "Image.h"

#include <string>

typedef struct FT_LibraryRec_* FT_Library;
typedef struct FT_FaceRec_* FT_Face;

class TextRenderer {
public:
    explicit TextRenderer(const std::string& fontPath);
    ~TextRenderer();
    TextRenderer(const TextRenderer&) = delete;
    TextRenderer& operator=(const TextRenderer&) = delete;

    bool ok() const { return face != nullptr; }

    // Width in pixels of the text at the given pixel size.
    int measure(const std::string& text, int pixelSize) const;
    // Draws with the baseline at y, starting at x; an outline of the given width
    // (0: none) is drawn first, behind the letters.
    void draw(Image& image, const std::string& text, int x, int y, int pixelSize, const glm::vec4& colour,
              int outline = 0, const glm::vec4& outlineColour = glm::vec4(0, 0, 0, 1)) const;
    // Same, centred on x.
    void drawCentred(Image& image, const std::string& text, int x, int y, int pixelSize,
                     const glm::vec4& colour, int outline = 0,
                     const glm::vec4& outlineColour = glm::vec4(0, 0, 0, 1)) const;

private:
    void drawPass(Image& image, const std::string& text, int x, int y, int pixelSize, const glm::vec4& colour,
                  int dilate) const;

    FT_Library library = nullptr;
    FT_Face face = nullptr;
};
