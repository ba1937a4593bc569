// See UiPictures.h. Text is drawn with the game's own font.
#include "UiPictures.h"

#include "Image.h"
#include "ImageFile.h"
#include "Noise.h"
#include "Shapes.h"
#include "Skybox.h"
#include "TextRenderer.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

const glm::vec4 yellow(1.0f, 0.84f, 0.12f, 1.0f);
const glm::vec4 white(1.0f, 1.0f, 1.0f, 1.0f);
const glm::vec4 ink(0.04f, 0.05f, 0.12f, 1.0f);
const glm::vec4 blue(0.15f, 0.4f, 1.0f, 1.0f);
const glm::vec4 orange(1.0f, 0.5f, 0.08f, 1.0f);

void save(const Image& image, const std::string& outDir, const std::string& name) {
    ImageFile::savePng(image, outDir + "/textures/ui/" + name, ImageFile::Channels::Rgba);
}

// A kart seen from behind, centred on x with its wheels on y, w wide.
void kartFromBehind(Image& image, float x, float y, float w, const glm::vec4& team) {
    const float h = w * 0.55f;
    Shapes::roundedRect(image, {x - w * 0.5f, y - h * 0.45f}, {x - w * 0.3f, y}, w * 0.04f, ink);
    Shapes::roundedRect(image, {x + w * 0.3f, y - h * 0.45f}, {x + w * 0.5f, y}, w * 0.04f, ink);
    Shapes::roundedRect(image, {x - w * 0.33f, y - h * 0.55f}, {x + w * 0.33f, y - h * 0.12f}, w * 0.05f,
                        team);
    Shapes::roundedRect(image, {x - w * 0.08f, y - h * 0.55f}, {x + w * 0.08f, y - h * 0.12f}, w * 0.02f,
                        white);
    Shapes::disc(image, {x, y - h * 0.85f}, w * 0.14f, white);
    Shapes::roundedRect(image, {x - w * 0.1f, y - h * 0.9f}, {x + w * 0.1f, y - h * 0.78f}, w * 0.03f, team);
    Shapes::roundedRect(image, {x - w * 0.42f, y - h * 1.05f}, {x + w * 0.42f, y - h * 0.93f}, w * 0.02f,
                        team);
    Shapes::roundedRect(image, {x - w * 0.3f, y - h * 0.95f}, {x - w * 0.26f, y - h * 0.55f}, 1.0f, ink);
    Shapes::roundedRect(image, {x + w * 0.26f, y - h * 0.95f}, {x + w * 0.3f, y - h * 0.55f}, 1.0f, ink);
    Shapes::disc(image, {x - w * 0.12f, y - h * 0.2f}, w * 0.035f, glm::vec4(0.6f, 0.6f, 0.62f, 1.0f));
    Shapes::disc(image, {x + w * 0.12f, y - h * 0.2f}, w * 0.035f, glm::vec4(0.6f, 0.6f, 0.62f, 1.0f));
}

void menu(const std::string& outDir, const TextRenderer& text, const glm::vec3& sunDirection) {
    const int w = 1280, h = 720;
    const float horizon = 380.0f;
    Image image(w, h);
    // The game's own sky, seen looking towards the sun's side of the sky.
    const glm::vec3 toSun = -glm::normalize(sunDirection);
    const glm::vec3 forward = glm::normalize(glm::vec3(toSun.x, 0.0f, toSun.z));
    const glm::vec3 right = glm::normalize(glm::cross(forward, glm::vec3(0, 1, 0)));
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const float sx = (static_cast<float>(x) - 0.5f * w) / (0.5f * w) * 1.2f;
            const float sy = (horizon - static_cast<float>(y)) / (0.5f * w) * 1.2f + 0.05f;
            const glm::vec3 d = glm::normalize(forward + right * sx + glm::vec3(0.0f, sy, 0.0f));
            image.at(x, y) = glm::vec4(Skybox::colour(d, toSun), 1.0f);
        }
    }
    // Sea, island and the road running to the horizon.
    const Noise n(5);
    for (int y = static_cast<int>(horizon); y < h; ++y) {
        const float t = (static_cast<float>(y) - horizon) / (h - horizon);
        for (int x = 0; x < w; ++x) {
            const float shimmer =
                0.04f * n.value2(static_cast<float>(x) / 30.0f, static_cast<float>(y) / 4.0f);
            image.at(x, y) = glm::vec4(
                glm::mix(glm::vec3(0.35f, 0.6f, 0.72f), glm::vec3(0.05f, 0.3f, 0.5f), t) + shimmer, 1.0f);
        }
    }
    std::vector<glm::vec2> island = {{0, horizon + 8},     {120, horizon - 18},
                                     {330, horizon - 30},  {520, horizon - 14},
                                     {760, horizon - 24},  {1000, horizon - 40},
                                     {1180, horizon - 12}, {1280, horizon + 4},
                                     {1280, 720},          {0, 720}};
    Shapes::polygon(image, island, glm::vec4(0.86f, 0.78f, 0.56f, 1.0f));
    for (glm::vec2& p : island)
        p.y += p.y < 700.0f ? 8.0f : 0.0f;
    Shapes::polygon(image, island, glm::vec4(0.27f, 0.5f, 0.18f, 1.0f));
    const glm::vec2 vanish(640.0f, horizon - 4.0f);
    const auto roadEdge = [&](float bottomX, float t) {
        return glm::mix(glm::vec2(bottomX, 720.0f), vanish, t);
    };
    Shapes::polygon(
        image,
        {roadEdge(40.0f, 0.0f), roadEdge(1240.0f, 0.0f), roadEdge(1240.0f, 0.97f), roadEdge(40.0f, 0.97f)},
        glm::vec4(0.3f, 0.3f, 0.32f, 1.0f));
    for (int i = 0; i < 14; ++i) {
        // Kerb blocks, shrinking with distance.
        const float t0 = 1.0f - std::pow(0.82f, static_cast<float>(i)),
                    t1 = 1.0f - std::pow(0.82f, static_cast<float>(i) + 1.0f);
        const glm::vec4 kerb = i % 2 == 0 ? glm::vec4(0.8f, 0.12f, 0.1f, 1.0f) : white;
        Shapes::polygon(
            image, {roadEdge(40.0f, t0), roadEdge(110.0f, t0), roadEdge(110.0f, t1), roadEdge(40.0f, t1)},
            kerb);
        Shapes::polygon(
            image,
            {roadEdge(1170.0f, t0), roadEdge(1240.0f, t0), roadEdge(1240.0f, t1), roadEdge(1170.0f, t1)},
            kerb);
        if (i % 2 == 0)
            Shapes::polygon(
                image,
                {roadEdge(630.0f, t0), roadEdge(650.0f, t0), roadEdge(650.0f, t1), roadEdge(630.0f, t1)},
                white);
    }
    kartFromBehind(image, 470.0f, 610.0f, 250.0f, blue);
    kartFromBehind(image, 830.0f, 585.0f, 215.0f, orange);

    text.drawCentred(image, "TORQUEWIND", 640, 215, 150, yellow, 9, ink);
    text.drawCentred(image, "SPLIT-SCREEN KART RACING FOR ONE TO FOUR", 640, 280, 38, white, 4, ink);
    // A calm band at the bottom for the game's "Loading..." line.
    for (int y = 630; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.blend(x, y,
                        glm::vec4(0.0f, 0.0f, 0.05f,
                                  0.55f * std::min(1.0f, (static_cast<float>(y) - 630.0f) / 20.0f)));
    save(image, outDir, "menu.png");
}

void gameOver(const std::string& outDir, const TextRenderer& text) {
    Image image(1024, 128, glm::vec4(0.0f));
    Shapes::roundedRect(image, {4, 4}, {1020, 124}, 26.0f, glm::vec4(0.03f, 0.05f, 0.15f, 0.8f));
    text.drawCentred(image, "SPACE: RACE AGAIN      Q: TITLE SCREEN", 512, 80, 46, white, 3, ink);
    save(image, outDir, "gameOver.png");
}

void helpScreen(const std::string& outDir, const TextRenderer& text) {
    Image image(1024, 1024, glm::vec4(0.0f));
    Shapes::roundedRect(image, {8, 8}, {1016, 1016}, 40.0f, glm::vec4(0.02f, 0.04f, 0.12f, 0.86f));
    text.drawCentred(image, "PAUSED", 512, 92, 72, yellow, 4, ink);

    const auto row = [&](int x, int y, const std::string& key, const std::string& action, int keyWidth) {
        text.draw(image, key, x, y, 30, yellow, 2, ink);
        text.draw(image, action, x + keyWidth, y, 30, white, 2, ink);
    };
    const auto heading = [&](int x, int y, const std::string& title, const glm::vec4& colour) {
        text.draw(image, title, x, y, 38, colour, 3, ink);
    };
    heading(60, 170, "PLAYER 1", blue);
    row(60, 215, "W / S", "drive / reverse", 120);
    row(60, 255, "A / D", "steer", 120);
    row(60, 295, "E", "boost", 120);
    heading(520, 170, "PLAYER 2", orange);
    row(520, 215, "UP / DOWN", "drive / reverse", 225);
    row(520, 255, "LEFT / RIGHT", "steer", 225);
    row(520, 295, "RIGHT CTRL", "boost", 225);

    heading(60, 375, "BOTH PLAYERS", white);
    row(60, 420, "SPACE", "hop with a spin", 170);
    row(60, 460, "R", "back on the track", 170);
    row(540, 420, "P / F1 / ESC", "pause", 190);
    row(540, 460, "SPACE", "restart (paused)", 190);
    row(540, 500, "Q", "title screen", 190);
    text.draw(image, "Boost lasts 1.5 s and is ready again 8 s later.", 60, 540, 28, white, 2, ink);

    heading(60, 620, "DEVELOPER KEYS", glm::vec4(0.6f, 0.9f, 1.0f, 1.0f));
    row(60, 665, "F2", "statistics", 80);
    row(60, 705, "F3", "wireframe", 80);
    row(60, 745, "F4", "normal maps", 80);
    row(60, 785, "F5", "lightmaps", 80);
    row(60, 825, "F6", "shadows", 80);
    row(540, 665, "F7", "user interface", 80);
    row(540, 705, "F8", "culling", 80);
    row(540, 745, "F10", "free camera", 80);
    row(540, 785, ", / .", "brightness", 80);
    row(540, 825, "F9", "graphics quality", 80);
    text.draw(image, "Free camera: W A S D and the mouse, Left Shift slow, P freeze.", 60, 885, 28, white, 2,
              ink);
    text.drawCentred(image, "Press P to race on", 512, 970, 34, yellow, 3, ink);
    save(image, outDir, "helpScreen.png");
}

void fill(const std::string& outDir) {
    // Plain white: the HUD tints and stretches it into the boost bar.
    save(Image(64, 16, glm::vec4(1.0f)), outDir, "fill.png");
}

void boost(const std::string& outDir) {
    Image image(256, 256, glm::vec4(0.0f));
    Shapes::disc(image, {128, 128}, 120.0f, glm::vec4(0.03f, 0.05f, 0.15f, 0.85f));
    Shapes::ring(image, {128, 128}, 104.0f, 118.0f, yellow);
    // A lightning bolt.
    const std::vector<glm::vec2> bolt = {{150, 30},  {72, 140},  {122, 140}, {98, 228},
                                         {186, 108}, {134, 108}, {170, 30}};
    Shapes::polygon(image, bolt, glm::vec4(1.0f, 0.55f, 0.05f, 1.0f));
    std::vector<glm::vec2> inner;
    for (const glm::vec2& p : bolt)
        inner.push_back(glm::vec2(128, 128) + (p - glm::vec2(128, 128)) * 0.8f);
    Shapes::polygon(image, inner, yellow);
    save(image, outDir, "boost.png");
}

} // namespace

void UiPictures::generate(const std::string& outDir, const glm::vec3& sunDirection) {
    const TextRenderer text(ASSETGEN_FONT);
    menu(outDir, text, sunDirection);
    gameOver(outDir, text);
    helpScreen(outDir, text);
    fill(outDir);
    boost(outDir);
}
