// Textures: the built-in images, file loading through FreeImage (including the
// files it must refuse), textures from memory and cube maps.
#include "GLResourceTest.h"
#include "support/LogCapture.h"

#include "core/resources/Texture2D.h"
#include "core/resources/TextureCube.h"

#include <FreeImage.h>
#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <vector>

namespace {

struct Pixel {
    uint8_t r, g, b;
};

// Writes a 24-bit image whose pixel (x, y), y counted from the bottom, is colour(x, y).
template <typename ColourOf>
void writeRgbImage(const std::string& path, FREE_IMAGE_FORMAT format, int width, int height,
                   ColourOf colour) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    FIBITMAP* image = FreeImage_Allocate(width, height, 24);
    for (int y = 0; y < height; ++y) {
        BYTE* row = FreeImage_GetScanLine(image, y);
        for (int x = 0; x < width; ++x) {
            const Pixel p = colour(x, y);
            row[x * 3 + FI_RGBA_RED] = p.r;
            row[x * 3 + FI_RGBA_GREEN] = p.g;
            row[x * 3 + FI_RGBA_BLUE] = p.b;
        }
    }
    ASSERT_TRUE(FreeImage_Save(format, image, path.c_str(), 0));
    FreeImage_Unload(image);
}

// Level `level` of a 2D texture or a cube face, rows packed tight.
std::vector<uint8_t> readLevel(GLenum target, GLuint texture, GLenum format, int width, int height,
                               int channels, int level = 0) {
    std::vector<uint8_t> pixels(static_cast<size_t>(width) * height * channels);
    glBindTexture(target == GL_TEXTURE_2D ? GL_TEXTURE_2D : GL_TEXTURE_CUBE_MAP, texture);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(target, level, format, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}

GLint texParameter(GLenum target, GLuint texture, GLenum name) {
    GLint value = 0;
    glBindTexture(target, texture);
    glGetTexParameteriv(target, name, &value);
    return value;
}

GLint levelWidth(GLenum bindTarget, GLenum target, GLuint texture) {
    GLint width = 0;
    glBindTexture(bindTarget, texture);
    glGetTexLevelParameteriv(target, 0, GL_TEXTURE_WIDTH, &width);
    return width;
}

using TextureTest = GLResourceTest;

// A PNG signature and IHDR chunk (8-bit RGBA), with its CRC, and nothing after it.
std::string pngHeader(uint32_t width, uint32_t height) {
    std::string chunk = "IHDR";
    for (const uint32_t value : {width, height}) {
        for (int shift = 24; shift >= 0; shift -= 8) {
            chunk += static_cast<char>((value >> shift) & 0xff);
        }
    }
    chunk += std::string("\x08\x06\x00\x00\x00", 5);
    uint32_t crc = 0xffffffffu;
    for (const char c : chunk) {
        crc ^= static_cast<uint8_t>(c);
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc >> 1) ^ ((crc & 1u) != 0 ? 0xedb88320u : 0u);
        }
    }
    crc ^= 0xffffffffu;
    std::string png("\x89PNG\r\n\x1a\n\x00\x00\x00\x0d", 12);
    png += chunk;
    for (int shift = 24; shift >= 0; shift -= 8) {
        png += static_cast<char>((crc >> shift) & 0xff);
    }
    return png;
}

// Six faces under sky/ of size × size, face f dark (f) in its file's bottom row and
// bright (200 + f) above; the face numbered missing is not written.
std::array<std::string, 6> writeSky(const std::string& dir, int size, int missing = -1) {
    std::array<std::string, 6> paths;
    for (int face = 0; face < 6; ++face) {
        paths[face] = "sky/" + std::to_string(face) + ".png";
        if (face != missing) {
            writeRgbImage(dir + paths[face], FIF_PNG, size, size, [face](int, int y) {
                const auto value = static_cast<uint8_t>(y == 0 ? face : 200 + face);
                return Pixel{value, value, value};
            });
        }
    }
    return paths;
}

} // namespace

// The checkerboard's pixels are made when one is first shown: a scene without a missing texture holds none.
TEST_F(TextureTest, BuiltInsAreAGreyCheckerboardDarkAtTheOriginMadeWhenFirstShownAndOpaqueWhite) {
    Texture2D* checker = cache->get<Texture2D>("default");
    ASSERT_NE(checker, nullptr);
    EXPECT_EQ(checker->getTexture(), 0u);
    ASSERT_EQ(Texture2D::checkerboard(*cache), checker);
    ASSERT_EQ(checker->getWidth(), 512.0f);
    const std::vector<uint8_t> pixels = readLevel(GL_TEXTURE_2D, checker->getTexture(), GL_RGB, 512, 512, 3);
    EXPECT_EQ(pixels[0], 50);
    EXPECT_EQ(pixels[32 * 3], 180) << "32-pixel squares";
    EXPECT_EQ(texParameter(GL_TEXTURE_2D, checker->getTexture(), GL_TEXTURE_WRAP_S), GL_REPEAT);

    Texture2D* white = cache->get<Texture2D>("white");
    ASSERT_NE(white, nullptr);
    const std::vector<uint8_t> whites = readLevel(GL_TEXTURE_2D, white->getTexture(), GL_RGBA, 128, 128, 4);
    EXPECT_TRUE(std::all_of(whites.begin(), whites.end(), [](uint8_t v) { return v == 255; }));
}

TEST_F(TextureTest, A24BitImageArrivesWithAlpha255InItsOwnColoursAndRowOrder) {
    // Red in the bottom-left pixel, blue elsewhere in the bottom row, green above.
    writeRgbImage(assets.dir + "textures/rgb.png", FIF_PNG, 3, 2, [](int x, int y) {
        return y == 1 ? Pixel{0, 255, 0} : (x == 0 ? Pixel{255, 0, 0} : Pixel{0, 0, 255});
    });
    Texture2D* texture = cache->create<Texture2D>("rgb");
    LogCapture log;
    EXPECT_TRUE(texture->load("textures/rgb.png"));
    EXPECT_TRUE(log.lines.empty());
    EXPECT_EQ(texture->getWidth(), 3.0f);
    EXPECT_EQ(texture->getHeight(), 2.0f);
    const std::vector<uint8_t> pixels = readLevel(GL_TEXTURE_2D, texture->getTexture(), GL_RGBA, 3, 2, 4);
    const std::vector<uint8_t> expected = {255, 0,   0, 255, 0, 0,   255, 255, 0, 0,   255, 255,
                                           0,   255, 0, 255, 0, 255, 0,   255, 0, 255, 0,   255};
    EXPECT_EQ(pixels, expected);
    EXPECT_EQ(texParameter(GL_TEXTURE_2D, texture->getTexture(), GL_TEXTURE_WRAP_S), GL_REPEAT);
}

TEST_F(TextureTest, FilesThatCannotBeReadAreTreatedAsMissing) {
    writeRgbImage(assets.dir + "good.png", FIF_PNG, 64, 64, [](int x, int y) {
        return Pixel{static_cast<uint8_t>(x * 4), static_cast<uint8_t>(y * 4), static_cast<uint8_t>(x ^ y)};
    });
    const auto contents = [this](const char* name) {
        std::ifstream in(assets.dir + name, std::ios::binary);
        return std::string{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    };
    const std::string png = contents("good.png");
    assets.write("truncated.png", png.substr(0, png.size() / 2));
    assets.write("header-only.png", png.substr(0, 40));
    assets.write("empty.png", "");
    assets.write("text.png", "this is not an image\n");
    assets.makeDir("folder.png");
    // Half a PSD: its reader would run past the end of the pixel data.
    FIBITMAP* layered = FreeImage_Allocate(64, 64, 32);
    ASSERT_TRUE(FreeImage_Save(FIF_PSD, layered, (assets.dir + "whole.psd").c_str(), 0));
    FreeImage_Unload(layered);
    const std::string psd = contents("whole.psd");
    assets.write("half.psd", psd.substr(0, psd.size() / 2));
    // A valid header claiming 100000 x 100000 pixels: refused before anything is allocated.
    assets.write("huge.png", pngHeader(100000, 100000));
    // 16-bit grey: decodable, but not convertible to 32-bit pixels.
    FIBITMAP* grey = FreeImage_AllocateT(FIT_UINT16, 8, 8);
    ASSERT_TRUE(FreeImage_Save(FIF_TIFF, grey, (assets.dir + "grey16.tif").c_str(), 0));
    FreeImage_Unload(grey);

    for (const char* name : {"truncated.png", "header-only.png", "empty.png", "text.png", "folder.png",
                             "grey16.tif", "half.psd", "huge.png", "absent.png", "sub/absent.png"}) {
        LogCapture log;
        Texture2D* texture = cache->create<Texture2D>(name);
        EXPECT_FALSE(texture->load(name)) << name;
        EXPECT_EQ(texture->getTexture(), 0u) << name;
        EXPECT_EQ(log.count(std::string("Texture not found: ") + name), 1) << name;
    }
    EXPECT_TRUE(cache->create<Texture2D>("good")->load("good.png"));
    EXPECT_TRUE(cache->create<Texture2D>("whole")->load("whole.psd"));
    // 16 bits per colour channel do convert, and load.
    FIBITMAP* deep = FreeImage_AllocateT(FIT_RGBA16, 8, 8);
    ASSERT_TRUE(FreeImage_Save(FIF_PNG, deep, (assets.dir + "deep.png").c_str(), 0));
    FreeImage_Unload(deep);
    EXPECT_TRUE(cache->create<Texture2D>("deep")->load("deep.png"));
}

// A level missing below the first would leave the texture incomplete (drawn black);
// each level is the average of the one above.
TEST_F(TextureTest, LoadedAndCreatedTexturesCarryEveryLevelDownToOnePixel) {
    writeRgbImage(assets.dir + "halves.png", FIF_PNG, 4, 2, [](int x, int) {
        return x < 2 ? Pixel{200, 0, 0} : Pixel{0, 0, 100};
    });
    Texture2D* loaded = cache->create<Texture2D>("halves");
    ASSERT_TRUE(loaded->load("halves.png"));
    // Width 3 of one byte per pixel: rows that are not 4-byte aligned.
    const std::vector<uint8_t> glyph = {0, 40, 80, 120, 160, 200};
    Texture2D* created = cache->create<Texture2D>("created");
    created->create(3, 2, TextureFormat::Red, glyph.data());
    EXPECT_EQ(created->getFormat(), TextureFormat::Red);
    EXPECT_EQ(readLevel(GL_TEXTURE_2D, created->getTexture(), GL_RED, 3, 2, 1), glyph);
    EXPECT_EQ(texParameter(GL_TEXTURE_2D, created->getTexture(), GL_TEXTURE_WRAP_S), GL_CLAMP_TO_EDGE);
    GLint unpack = 0;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &unpack);
    EXPECT_EQ(unpack, 4) << "the alignment is restored";
    for (const auto& [texture, last] : {std::pair{loaded, 2}, std::pair{created, 1}}) {
        glBindTexture(GL_TEXTURE_2D, texture->getTexture());
        GLint size[2] = {};
        glGetTexLevelParameteriv(GL_TEXTURE_2D, last, GL_TEXTURE_WIDTH, &size[0]);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, last, GL_TEXTURE_HEIGHT, &size[1]);
        EXPECT_EQ(glm::ivec2(size[0], size[1]), glm::ivec2(1)) << "level " << last;
    }
    const auto level1Of = [](const Texture2D* texture) {
        return readLevel(GL_TEXTURE_2D, texture->getTexture(), GL_RGBA, 2, 1, 4, 1);
    };
    const std::vector<uint8_t> halves = {200, 0, 0, 255, 0, 0, 100, 255};
    EXPECT_EQ(level1Of(loaded), halves);
    // Kept as red and green only (a lightmap), the same levels read blue 0.
    Texture2D* pairs = cache->create<Texture2D>("pairs");
    ASSERT_TRUE(pairs->load("halves.png", TextureFormat::RedGreen));
    EXPECT_EQ(pairs->getFormat(), TextureFormat::RedGreen);
    EXPECT_EQ(level1Of(pairs), (std::vector<uint8_t>{200, 0, 0, 255, 0, 0, 0, 255}));
    EXPECT_EQ(readLevel(GL_TEXTURE_2D, created->getTexture(), GL_RED, 1, 1, 1, 1), std::vector<uint8_t>{80})
        << "(0 + 40 + 120 + 160) / 4";

    // A picture off screen gives its storage back and keeps its proportions for
    // the layout; loaded again, it reads as before.
    const GLuint name = loaded->getTexture();
    loaded->release();
    EXPECT_EQ(loaded->getTexture(), 0u);
    EXPECT_FALSE(glIsTexture(name));
    EXPECT_EQ(loaded->getWidth() / loaded->getHeight(), 2.0f);
    ASSERT_TRUE(loaded->load("halves.png"));
    EXPECT_EQ(level1Of(loaded), halves);

    // Whether lookups blend two levels is the texture's own, kept when it is read again.
    EXPECT_EQ(texParameter(GL_TEXTURE_2D, loaded->getTexture(), GL_TEXTURE_MIN_FILTER),
              GL_LINEAR_MIPMAP_LINEAR);
    loaded->setMipLevelsBlended(false);
    EXPECT_EQ(texParameter(GL_TEXTURE_2D, loaded->getTexture(), GL_TEXTURE_MIN_FILTER),
              GL_LINEAR_MIPMAP_NEAREST);
    loaded->release();
    ASSERT_TRUE(loaded->load("halves.png"));
    EXPECT_EQ(texParameter(GL_TEXTURE_2D, loaded->getTexture(), GL_TEXTURE_MIN_FILTER),
              GL_LINEAR_MIPMAP_NEAREST);
    // A picture whose levels look alike reads one level from the start.
    writeRgbImage(assets.dir + "flat.png", FIF_PNG, 4, 2, [](int, int) { return Pixel{90, 140, 60}; });
    Texture2D* flat = cache->create<Texture2D>("flat");
    ASSERT_TRUE(flat->load("flat.png"));
    EXPECT_EQ(texParameter(GL_TEXTURE_2D, flat->getTexture(), GL_TEXTURE_MIN_FILTER),
              GL_LINEAR_MIPMAP_NEAREST);
}

TEST_F(TextureTest, DepthStorageReadsFarDepthOutsideItsBorder) {
    for (const auto& [format, bits] :
         {std::pair{TextureFormat::DepthStencil, 24}, std::pair{TextureFormat::Depth, 16}}) {
        Texture2D* depth = cache->create<Texture2D>("shadow " + std::to_string(bits));
        LogCapture log;
        depth->create(64, 32, format, nullptr);
        EXPECT_TRUE(log.lines.empty());
        const GLuint name = depth->getTexture();
        EXPECT_EQ(levelWidth(GL_TEXTURE_2D, GL_TEXTURE_2D, name), 64);
        GLint depthBits = 0;
        glGetTextureLevelParameteriv(name, 0, GL_TEXTURE_DEPTH_SIZE, &depthBits);
        EXPECT_EQ(depthBits, bits);
        EXPECT_EQ(texParameter(GL_TEXTURE_2D, name, GL_TEXTURE_WRAP_T), GL_CLAMP_TO_BORDER);
        GLfloat border[4] = {};
        glGetTexParameterfv(GL_TEXTURE_2D, GL_TEXTURE_BORDER_COLOR, border);
        EXPECT_EQ(std::vector<float>(border, border + 4), std::vector<float>(4, 1.0f));
    }
}

// One face missing leaves the other five and a plain sky colour there; with no
// face at all there is no cube map.
TEST_F(TextureTest, CubeMapLoadsSixFlippedFacesFillsAMissingOneWithSkyColourAndFailsOnlyWithoutFaces) {
    TextureCube* sky = cache->create<TextureCube>("sky");
    LogCapture log;
    EXPECT_TRUE(sky->load(writeSky(assets.dir, 2, 3)));
    EXPECT_EQ(log.count("Texture not found: sky/3.png"), 1);
    EXPECT_EQ(log.lines.size(), 1u);
    for (int face = 0; face < 6; ++face) {
        EXPECT_EQ(levelWidth(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_CUBE_MAP_POSITIVE_X + face, sky->getTexture()),
                  2)
            << face;
        const std::vector<uint8_t> pixels =
            readLevel(GL_TEXTURE_CUBE_MAP_POSITIVE_X + face, sky->getTexture(), GL_RGBA, 2, 2, 4);
        if (face == 3) {
            EXPECT_EQ(std::vector<uint8_t>(pixels.begin(), pixels.begin() + 4),
                      (std::vector<uint8_t>{150, 180, 215, 255}));
            continue;
        }
        // Flipped, each face's bright row comes first.
        EXPECT_EQ(pixels[0], 200 + face) << face;
        EXPECT_EQ(pixels[3], 255) << face;
        EXPECT_EQ(pixels[8], face) << face;
    }
    // Its levels and their blending are pinned by the skybox's half-rough mirror.
    EXPECT_EQ(texParameter(GL_TEXTURE_CUBE_MAP, sky->getTexture(), GL_TEXTURE_WRAP_R), GL_CLAMP_TO_EDGE);
    const std::array<std::string, 6> none{"a.png", "b.png", "c.png", "d.png", "e.png", "f.png"};
    EXPECT_FALSE(cache->create<TextureCube>("no sky")->load(none));
}
