// Checks what can go wrong in the generated pictures and sounds: missing files,
// wrong sizes or bit depths, lost transparency, sky faces that do not meet,
// a flame sheet without its 50 frames, a launcher icon lost in its square,
// textures that do not tile, sounds that clip, are silent, click at their loop
// point or are stereo where the game plays them in 3D.
#include <FreeImage.h>
#include <gtest/gtest.h>
#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <memory>
#include <numeric>
#include <string>
#include <vector>

namespace {

const std::string assets = TW_ASSETS_DIR;

// An image as FreeImage reads it (what the engine does), converted to RGBA floats
// with row 0 at the top.
struct Picture {
    int width = 0, height = 0, bitsPerPixel = 0;
    std::vector<float> rgba;
    float at(int x, int y, int channel) const {
        return rgba[(static_cast<size_t>(y) * width + x) * 4 + channel];
    }
};

bool load(const std::string& path, Picture& out) {
    FIBITMAP* bitmap = FreeImage_Load(FreeImage_GetFileType(path.c_str(), 0), path.c_str(), 0);
    if (!bitmap)
        return false;
    out.width = static_cast<int>(FreeImage_GetWidth(bitmap));
    out.height = static_cast<int>(FreeImage_GetHeight(bitmap));
    out.bitsPerPixel = static_cast<int>(FreeImage_GetBPP(bitmap));
    FIBITMAP* rgba = FreeImage_ConvertToRGBAF(bitmap);
    FreeImage_Unload(bitmap);
    if (!rgba)
        return false;
    out.rgba.resize(static_cast<size_t>(out.width) * out.height * 4);
    for (int y = 0; y < out.height; ++y) {
        const auto* row = reinterpret_cast<const float*>(FreeImage_GetScanLine(rgba, out.height - 1 - y));
        std::copy(row, row + out.width * 4, &out.rgba[static_cast<size_t>(y) * out.width * 4]);
    }
    FreeImage_Unload(rgba);
    return true;
}

struct Sound {
    int rate = 0;
    std::vector<float> all;                   // interleaved
    std::vector<std::vector<float>> channels; // apart
};

bool load(const std::string& path, Sound& out) {
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (!file)
        return false;
    out.rate = info.samplerate;
    out.all.resize(static_cast<size_t>(info.frames) * info.channels);
    sf_readf_float(file, out.all.data(), info.frames);
    sf_close(file);
    out.channels.resize(static_cast<size_t>(info.channels));
    for (size_t i = 0; i < out.all.size(); ++i)
        out.channels[i % out.channels.size()].push_back(out.all[i]);
    return true;
}

float percentile(std::vector<float> values, float p) {
    std::sort(values.begin(), values.end());
    return values[static_cast<size_t>(p * static_cast<float>(values.size() - 1))];
}

float rms(const std::vector<float>& s, size_t from, size_t count) {
    double sum = 0.0;
    for (size_t i = from; i < from + count && i < s.size(); ++i)
        sum += static_cast<double>(s[i]) * s[i];
    return static_cast<float>(std::sqrt(sum / static_cast<double>(count)));
}

struct Expected {
    std::string path;
    bool alpha;
};

const std::vector<Expected> pictures = {
    {"textures/ui/menu.png", false},
    {"textures/ui/gameOver.png", true},
    {"textures/ui/helpScreen.png", true},
    {"textures/ui/fill.png", false},
    {"textures/ui/boost.png", true},
    {"textures/water/water_normal.png", false},
    {"textures/particles/Particles_Smoke2.psd", true},
    {"textures/particles/FlameRoundParticleSheet.tif", true},
    {"textures/particles/ImpactSplashParticle.tif", true},
    {"textures/particles/WaterMistParticle.tif", true},
    {"textures/particles/SparkParticle.tif", true},
    {"textures/particles/collision.png", true},
    {"textures/startline.png", true},
};

const char* skyFaces[6] = {"Left", "Right", "Up_Rotated", "Down", "Front", "Back"};

TEST(GeneratedPictures, LoadAsEightBitImagesWithTransparencyWhereNeeded) {
    for (const Expected& e : pictures) {
        Picture p;
        ASSERT_TRUE(load(assets + e.path, p)) << e.path;
        EXPECT_TRUE(p.bitsPerPixel == 24 || p.bitsPerPixel == 32)
            << e.path << " has " << p.bitsPerPixel << " bits";
        EXPECT_GE(std::min(p.width, p.height), 8) << e.path;
        if (!e.alpha)
            continue;
        EXPECT_EQ(p.bitsPerPixel, 32) << e.path << " needs alpha";
        // Transparent at the corners, something opaque inside.
        float corner = 0.0f, most = 0.0f;
        for (int y = 0; y < p.height; ++y)
            for (int x = 0; x < p.width; ++x)
                most = std::max(most, p.at(x, y, 3));
        for (int c = 0; c < 4; ++c)
            corner = std::max(corner, p.at(c % 2 ? p.width - 1 : 0, c / 2 ? p.height - 1 : 0, 3));
        EXPECT_GT(most, 0.5f) << e.path;
        if (e.path != "textures/startline.png") {
            EXPECT_LT(corner, 0.05f) << e.path;
        }
    }
    // Every lightmap is a square power of two.
    int lightmaps = 0;
    for (const auto& entry : std::filesystem::directory_iterator(assets + "scenes/lightmaps")) {
        Picture p;
        ASSERT_TRUE(load(entry.path().string(), p)) << entry.path();
        EXPECT_EQ(p.width, p.height) << entry.path();
        EXPECT_EQ(p.width & (p.width - 1), 0) << entry.path();
        ++lightmaps;
    }
    EXPECT_GE(lightmaps, 5);
}

// The launcher icon at every size the theme lists: square, transparent around a
// kart that spans the width even at 16 px, where a shrunken drawing would be a blur.
TEST(GeneratedPictures, LauncherIconIsAKartFillingEachThemeSize) {
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const std::string name = std::to_string(size) + "x" + std::to_string(size);
        Picture p;
        ASSERT_TRUE(load(assets + "icons/hicolor/" + name + "/apps/torquewind.png", p)) << name;
        ASSERT_EQ(p.width, size);
        ASSERT_EQ(p.height, size);
        EXPECT_EQ(p.bitsPerPixel, 32) << name;
        int opaque = 0, left = size, right = -1;
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x)
                if (p.at(x, y, 3) > 0.5f) {
                    ++opaque;
                    left = std::min(left, x);
                    right = std::max(right, x);
                }
        EXPECT_GE(right - left + 1, size * 7 / 8) << name;
        EXPECT_GT(opaque, size * size / 4) << name;
        EXPECT_LT(opaque, size * size * 3 / 4) << name << " has no transparent surroundings";
        EXPECT_LT(p.at(size - 1, 0, 3), 0.05f) << name;
    }
}

TEST(GeneratedPictures, SkyFacesAreEqualSquaresThatMeetAtTheirEdges) {
    Picture faces[6];
    for (int f = 0; f < 6; ++f) {
        ASSERT_TRUE(load(assets + "skyboxes/DSk04-mod/DSk04_" + skyFaces[f] + ".png", faces[f]))
            << skyFaces[f];
        EXPECT_EQ(faces[f].width, faces[f].height);
        EXPECT_EQ(faces[f].width, faces[0].width);
    }
    const int n = faces[0].width;
    // By OpenGL's cube-map rules (faces +X, -X, +Y, -Y, +Z, -Z), these edges
    // look along the same directions: +X's left column and +Z's right column,
    // -X's right column and +Z's left column, +Y's bottom row and +Z's top row.
    float worst = 0.0f;
    for (int i = 0; i < n; ++i) {
        for (int c = 0; c < 3; ++c) {
            worst = std::max(worst, std::abs(faces[0].at(0, i, c) - faces[4].at(n - 1, i, c)));
            worst = std::max(worst, std::abs(faces[1].at(n - 1, i, c) - faces[4].at(0, i, c)));
            worst = std::max(worst, std::abs(faces[2].at(i, n - 1, c) - faces[4].at(i, 0, c)));
        }
    }
    EXPECT_LT(worst, 0.06f);
}

TEST(GeneratedPictures, FlameSheetHoldsFiftyFramesThatBurnOut) {
    Picture p;
    ASSERT_TRUE(load(assets + "textures/particles/FlameRoundParticleSheet.tif", p));
    ASSERT_EQ(p.width % 10, 0);
    ASSERT_EQ(p.height % 5, 0);
    const int cw = p.width / 10, ch = p.height / 5;
    EXPECT_EQ(cw, ch) << "square frames";
    std::vector<float> brightness;
    for (int f = 0; f < 50; ++f) {
        const int ox = (f % 10) * cw, oy = (f / 10) * ch;
        float sum = 0.0f, edge = 0.0f, most = 0.0f;
        for (int y = 0; y < ch; ++y) {
            for (int x = 0; x < cw; ++x) {
                const float a = p.at(ox + x, oy + y, 3);
                sum += a * (p.at(ox + x, oy + y, 0) + p.at(ox + x, oy + y, 1));
                most = std::max(most, a);
                if (x == 0 || y == 0 || x == cw - 1 || y == ch - 1)
                    edge = std::max(edge, a);
            }
        }
        EXPECT_GT(most, 0.2f) << "frame " << f << " is empty";
        EXPECT_LT(edge, 0.02f) << "frame " << f << " runs into its neighbours";
        brightness.push_back(sum);
    }
    EXPECT_GT(brightness.front(), brightness.back() * 2.0f) << "the flame should fade out over the sheet";
}

TEST(GeneratedPictures, RepeatingTexturesTileWithoutSeams) {
    for (const char* name : {"grass.png", "sand.png", "rock.png", "wall.png", "beam.png",
                             "water/water_normal.png", "road.png"}) {
        Picture p;
        ASSERT_TRUE(load(assets + "textures/" + name, p)) << name;
        // The step across the wrap-around should look like any step inside.
        std::vector<float> inside;
        float seamV = 0.0f, seamH = 0.0f;
        for (int i = 0; i < p.width; ++i) {
            for (int c = 0; c < 3; ++c) {
                seamV += std::abs(p.at(i, 0, c) - p.at(i, p.height - 1, c));
                inside.push_back(std::abs(p.at(i, p.height / 2, c) - p.at(i, p.height / 2 - 1, c)));
            }
        }
        for (int i = 0; i < p.height; ++i)
            for (int c = 0; c < 3; ++c)
                seamH += std::abs(p.at(0, i, c) - p.at(p.width - 1, i, c));
        const float mean =
            std::accumulate(inside.begin(), inside.end(), 0.0f) / static_cast<float>(inside.size());
        EXPECT_LT(seamV / (3.0f * p.width), 3.0f * mean + 0.01f) << name << " top and bottom do not meet";
        // The road spans the road's width once, and the wall's tile ends on the
        // groove between a red and a white block, as its middle does.
        const std::string n = name;
        if (n != "road.png" && n != "wall.png") {
            EXPECT_LT(seamH / (3.0f * p.height), 3.0f * mean + 0.01f)
                << name << " left and right do not meet";
        }
    }
}

struct SoundSpec {
    std::string name;
    bool loop;
    bool mono;
};

const std::vector<SoundSpec> sounds = {
    {"MotorEngine_Loop_07.wav", true, true},
    {"MotorEngine_Loop_08.wav", true, true},
    {"Skid_25.wav", true, true},
    {"Impact_01.wav", false, true},
    {"splash.wav", false, true},
    {"boost.wav", false, true},
    {"count.wav", false, false},
    {"go.wav", false, false},
    {"win.wav", false, false},
    {"ZVB_Menu_Music.wav", true, false},
    {"ZVB_InGame_Music.wav", true, false},
};

// One-shots start promptly and end at rest rather than cut off; loops neither
// jump nor change loudness across their seam.
TEST(GeneratedSounds, AreAudibleUnclippedMonoWhereThreeDimensionalAndLoopWithoutAClick) {
    for (const SoundSpec& spec : sounds) {
        SCOPED_TRACE(spec.name);
        Sound s;
        ASSERT_TRUE(load(assets + "sounds/" + spec.name, s));
        if (spec.mono) {
            EXPECT_EQ(s.channels.size(), 1u) << "plays in 3D, so it must be mono";
        }
        EXPECT_GE(s.rate, 22050);
        EXPECT_EQ(std::count_if(s.all.begin(), s.all.end(), [](float v) { return std::abs(v) >= 0.999f; }),
                  0);
        const std::vector<float>& left = s.channels[0];
        EXPECT_GT(rms(left, 0, left.size()), 0.03f) << "nearly silent";
        if (!spec.loop) {
            EXPECT_GT(rms(left, 0, static_cast<size_t>(s.rate / 50)), 0.01f) << "starts late";
            EXPECT_LT(std::abs(left.back()), 0.01f) << "ends with a click";
            continue;
        }
        for (const std::vector<float>& x : s.channels) {
            std::vector<float> steps;
            for (size_t i = 1; i < x.size(); ++i)
                steps.push_back(std::abs(x[i] - x[i - 1]));
            EXPECT_LE(std::abs(x.front() - x.back()), percentile(steps, 0.995f) + 1e-4f)
                << "jumps at its loop point";
            const size_t window = static_cast<size_t>(s.rate / 20);
            const float end = rms(x, x.size() - window, window), start = rms(x, 0, window);
            EXPECT_LT(std::max(end, start) / std::max(std::min(end, start), 1e-4f), 4.0f);
        }
    }
}

} // namespace
