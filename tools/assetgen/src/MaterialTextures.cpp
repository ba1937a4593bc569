// See MaterialTextures.h. Every texture is painted in texture space, u to the
// right and v up (v = 1 is the picture's top row), with tiling noise where the
// texture repeats, together with a height field for its normal map.
#include "MaterialTextures.h"

#include "HeightField.h"
#include "ImageFile.h"
#include "Noise.h"
#include "Rng.h"
#include "TextRenderer.h"
#include "TrackBuilder.h"

#include <glm/gtc/constants.hpp>

#include <algorithm>
#include <cmath>
#include <functional>
#include <thread>

namespace {

using Channels = ImageFile::Channels;

float smoothstep(float e0, float e1, float x) {
    const float t = std::clamp((x - e0) / (e1 - e0), 0.0f, 1.0f);
    return t * t * (3.0f - 2.0f * t);
}

float fract(float x) {
    return x - std::floor(x);
}

// A picture and its heights, painted pixel by pixel from (u, v). A texture painted
// finer than the race ever shows it is saved `shrink` times smaller: the game never
// sampled its top mip levels, so the file and the texture lose them and the race
// looks the same.
struct Canvas {
    Canvas(int w, int h, int shrink = 1)
        : colour(w, h, glm::vec4(0, 0, 0, 1)), height(w, h), shrink(shrink) {}

    void paint(const std::function<void(float u, float v, int x, int y, glm::vec4& c, float& h)>& f) {
        const int w = colour.width(), h = colour.height();
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                const float u = (static_cast<float>(x) + 0.5f) / static_cast<float>(w);
                const float v = 1.0f - (static_cast<float>(y) + 0.5f) / static_cast<float>(h);
                f(u, v, x, y, colour.at(x, y), height.at(x, y));
            }
        }
    }

    void save(const std::string& outDir, const std::string& name, float normalStrength,
              bool alpha = false) const {
        ImageFile::savePng(colour.shrunk(shrink), outDir + "/textures/" + name + ".png",
                           alpha ? Channels::Rgba : Channels::Rgb);
        if (normalStrength > 0.0f)
            ImageFile::savePng(height.normalMap(normalStrength).shrunk(shrink),
                               outDir + "/textures/" + name + "_normal.png", Channels::Rgb);
    }

    Image colour;
    HeightField height;
    int shrink;
};

float pixelHash(int x, int y, uint32_t seed) {
    return static_cast<float>(Rng::hash(x, y, 3, seed) & 0xFFFFu) / 65535.0f;
}

void road(const std::string& out) {
    const Noise n(11);
    Canvas c(1024, 1024, 2);
    c.paint([&](float u, float v, int x, int y, glm::vec4& col, float& h) {
        const float grain = n.fbm2(u * 96.0f, v * 96.0f, 3, 96);
        const float coarse = n.fbm2(u * 6.0f, v * 6.0f, 4, 6);
        const float speckle = pixelHash(x, y, 5) < 0.035f ? 1.0f : 0.0f;
        float grey = 0.25f + 0.045f * coarse + 0.05f * grain + 0.1f * speckle;
        // Rubber laid down along the racing lines.
        grey -= 0.035f * (std::exp(-std::pow((u - 0.33f) / 0.07f, 2.0f)) +
                          std::exp(-std::pow((u - 0.67f) / 0.07f, 2.0f)));
        glm::vec3 rgb(grey * 0.97f, grey, grey * 1.04f);
        // Edge lines and a dashed centre line (three 3 m dashes per 15 m tile).
        float paint = 0.0f;
        paint = std::max(paint, smoothstep(0.038f, 0.041f, u) * (1.0f - smoothstep(0.059f, 0.062f, u)));
        paint = std::max(paint, smoothstep(0.938f, 0.941f, u) * (1.0f - smoothstep(0.959f, 0.962f, u)));
        const float dash = fract(v * 3.0f) < 0.6f ? 1.0f : 0.0f;
        paint = std::max(paint, dash * (1.0f - smoothstep(0.005f, 0.007f, std::abs(u - 0.5f))));
        const float wear = smoothstep(-0.35f, -0.1f, n.fbm2(u * 30.0f, v * 30.0f, 3, 30) + 0.2f * grain);
        paint *= 0.25f + 0.75f * wear;
        rgb = glm::mix(rgb, glm::vec3(0.9f, 0.9f, 0.86f), paint);
        col = glm::vec4(rgb, 1.0f);
        h = 0.6f * grain + 0.5f * speckle + 0.4f * paint;
    });
    c.save(out, "road", 2.0f);
}

void curb(const std::string& out) {
    const Noise n(12);
    Canvas c(256, 256);
    c.paint([&](float u, float v, int, int, glm::vec4& col, float& h) {
        const float grain = n.fbm2(u * 32.0f, v * 32.0f, 3, 32);
        const bool red = fract(v) < 0.5f;
        glm::vec3 rgb = red ? glm::vec3(0.78f, 0.1f, 0.08f) : glm::vec3(0.92f, 0.92f, 0.9f);
        rgb *= 0.93f + 0.07f * grain;
        // Rumble ridges every 25 cm, flattening at the band's edges.
        const float ridge = 0.5f + 0.5f * std::cos(glm::two_pi<float>() * v * 8.0f);
        const float edge = smoothstep(0.0f, 0.15f, u) * smoothstep(0.0f, 0.15f, 1.0f - u);
        rgb *= 0.85f + 0.15f * ridge;
        col = glm::vec4(rgb, 1.0f);
        h = 4.0f * ridge * edge + 0.3f * grain;
    });
    c.save(out, "curb", 3.0f);
}

void wall(const std::string& out) {
    const Noise n(13);
    Canvas c(512, 512, 2);
    c.paint([&](float u, float v, int, int, glm::vec4& col, float& h) {
        // Two 2 m blocks per tile, painted red and white, with grooves between.
        const float block = fract(u * 2.0f);
        const bool red = u < 0.5f;
        const float grain = n.fbm2(u * 48.0f, v * 48.0f, 4, 48);
        const float stain = n.fbm2(u * 4.0f, v * 4.0f, 3, 4);
        glm::vec3 paint = red ? glm::vec3(0.75f, 0.12f, 0.1f) : glm::vec3(0.9f, 0.9f, 0.88f);
        const glm::vec3 concrete = glm::vec3(0.55f, 0.54f, 0.52f) * (0.9f + 0.15f * grain);
        const float chipped = smoothstep(0.4f, 0.55f, n.fbm2(u * 16.0f, v * 16.0f, 4, 16));
        glm::vec3 rgb = glm::mix(paint * (0.92f + 0.08f * grain), concrete, chipped);
        rgb *= 0.85f + 0.12f * stain;
        const float groove = 1.0f - smoothstep(0.0f, 0.012f, std::min(block, 1.0f - block));
        rgb *= 1.0f - 0.6f * groove;
        col = glm::vec4(rgb, 1.0f);
        h = 0.5f * grain - 3.0f * groove - 0.3f * chipped;
    });
    c.save(out, "wall", 2.5f);
}

void grass(const std::string& out) {
    const Noise n(14);
    Canvas c(512, 512, 2);
    c.paint([&](float u, float v, int x, int y, glm::vec4& col, float& h) {
        const float patches = n.fbm2(u * 4.0f, v * 4.0f, 4, 4);
        const float blades = n.fbm2(u * 128.0f, v * 48.0f + u * 20.0f, 3, 0);
        const float fine = n.value2(u * 256.0f, v * 256.0f, 256);
        glm::vec3 rgb =
            glm::mix(glm::vec3(0.16f, 0.3f, 0.08f), glm::vec3(0.34f, 0.52f, 0.16f), 0.5f + 0.5f * patches);
        rgb = glm::mix(rgb, glm::vec3(0.55f, 0.55f, 0.25f),
                       smoothstep(0.35f, 0.6f, n.fbm2(u * 3.0f + 7.0f, v * 3.0f, 3, 3)) * 0.5f);
        rgb *= 0.8f + 0.25f * (0.5f + 0.5f * fine) + 0.1f * blades;
        if (pixelHash(x, y, 9) < 0.002f)
            rgb = glm::vec3(0.95f, 0.9f, 0.3f); // a few flowers
        col = glm::vec4(rgb, 1.0f);
        h = fine + 0.5f * blades;
    });
    c.save(out, "grass", 2.0f);
}

void sand(const std::string& out) {
    const Noise n(15);
    Canvas c(512, 512, 2);
    c.paint([&](float u, float v, int x, int y, glm::vec4& col, float& h) {
        const float ripples =
            std::sin(glm::two_pi<float>() * (v * 6.0f + 0.35f * n.fbm2(u * 3.0f, v * 3.0f, 3, 3)));
        const float grain = n.value2(u * 256.0f, v * 256.0f, 256);
        const float tone = n.fbm2(u * 5.0f, v * 5.0f, 3, 5);
        glm::vec3 rgb =
            glm::vec3(0.86f, 0.77f, 0.56f) * (0.92f + 0.06f * tone + 0.05f * grain + 0.03f * ripples);
        if (pixelHash(x, y, 17) < 0.01f)
            rgb *= 0.75f;
        col = glm::vec4(rgb, 1.0f);
        h = 1.5f * ripples + 0.5f * grain;
    });
    c.save(out, "sand", 1.5f);
}

void rock(const std::string& out) {
    const Noise n(16);
    Canvas c(512, 512, 2);
    c.paint([&](float u, float v, int, int, glm::vec4& col, float& h) {
        const float base = n.fbm2(u * 8.0f, v * 8.0f, 5, 8);
        const float ridged = 1.0f - std::abs(n.fbm2(u * 6.0f + 3.0f, v * 6.0f, 4, 6));
        const float strata = std::sin(glm::two_pi<float>() * (v * 7.0f + 0.6f * base));
        glm::vec3 rgb =
            glm::mix(glm::vec3(0.38f, 0.35f, 0.32f), glm::vec3(0.6f, 0.56f, 0.5f), 0.5f + 0.5f * base);
        rgb *= 0.9f + 0.08f * strata;
        rgb *= 1.0f - 0.45f * smoothstep(0.85f, 0.98f, ridged);
        col = glm::vec4(rgb, 1.0f);
        h = 6.0f * base + 2.0f * strata - 8.0f * smoothstep(0.85f, 0.98f, ridged);
    });
    c.save(out, "rock", 1.5f);
}

void beam(const std::string& out) {
    const Noise n(17);
    Canvas c(512, 512, 2);
    c.paint([&](float u, float v, int, int, glm::vec4& col, float& h) {
        const float grain = n.fbm2(u * 64.0f, v * 64.0f, 3, 64);
        const float rust = smoothstep(0.35f, 0.55f, n.fbm2(u * 8.0f, v * 8.0f, 5, 8));
        glm::vec3 rgb = glm::vec3(0.92f, 0.66f, 0.1f) * (0.93f + 0.07f * grain);
        rgb = glm::mix(rgb, glm::vec3(0.45f, 0.22f, 0.1f), rust * 0.8f);
        // Worn edges of the paint show bare steel.
        const float worn = smoothstep(0.5f, 0.6f, n.fbm2(u * 24.0f, v * 24.0f, 4, 24));
        rgb = glm::mix(rgb, glm::vec3(0.5f, 0.5f, 0.52f), worn * 0.7f);
        // Bolt heads in a grid.
        const glm::vec2 cell(fract(u * 8.0f) - 0.5f, fract(v * 8.0f) - 0.5f);
        const float bolt = 1.0f - smoothstep(0.06f, 0.09f, glm::length(cell));
        rgb *= 1.0f - 0.2f * bolt;
        col = glm::vec4(rgb, 1.0f);
        h = 0.4f * grain + 3.0f * bolt - 0.5f * worn;
    });
    c.save(out, "beam", 2.0f);
}

void banner(const std::string& out, const TextRenderer& text) {
    Canvas c(1024, 256);
    c.paint([&](float u, float v, int x, int y, glm::vec4& col, float&) {
        glm::vec3 rgb = glm::mix(glm::vec3(0.04f, 0.06f, 0.2f), glm::vec3(0.1f, 0.16f, 0.45f), v);
        // Chequered ends.
        if (u < 0.09f || u > 0.91f)
            rgb = ((x / 32 + y / 32) % 2 == 0) ? glm::vec3(0.95f) : glm::vec3(0.05f);
        col = glm::vec4(rgb, 1.0f);
    });
    text.drawCentred(c.colour, "TORQUEWIND", 512, 170, 120, glm::vec4(1.0f, 0.85f, 0.1f, 1.0f), 5);
    c.save(out, "banner", 0.0f);
}

void startLine(const std::string& out) {
    const Noise n(18);
    // 27 x 4 squares of 0.5 m: the line spans 13.4 m of road and is 2 m deep.
    Canvas c(864, 128);
    c.paint([&](float u, float v, int x, int y, glm::vec4& col, float&) {
        const bool white = ((x / 32) + (y / 32)) % 2 == 0;
        glm::vec3 rgb = white ? glm::vec3(0.95f) : glm::vec3(0.05f);
        // Worn paint: where it has gone the road shows through (alpha 0).
        const float wear = n.fbm2(u * 27.0f, v * 4.0f, 5, 0) + 0.3f * n.value2(u * 200.0f, v * 30.0f, 0);
        const float alpha = wear > 0.42f ? 0.0f : 1.0f;
        col = glm::vec4(rgb * (0.92f + 0.08f * n.value2(u * 300.0f, v * 40.0f, 0)), alpha);
    });
    c.save(out, "startline", 0.0f, true);
}

void cone(const std::string& out) {
    const Noise n(19);
    Canvas c(256, 256);
    c.paint([&](float u, float v, int, int, glm::vec4& col, float&) {
        const float dirt = n.fbm2(u * 8.0f, v * 8.0f, 3, 8);
        glm::vec3 rgb;
        if (v < 0.1f) {
            rgb = glm::vec3(0.1f); // rubber base
        } else {
            const float t = (v - 0.1f) / 0.9f;
            const bool band = (t > 0.32f && t < 0.44f) || (t > 0.58f && t < 0.68f);
            rgb = band ? glm::vec3(0.95f) : glm::vec3(1.0f, 0.4f, 0.04f);
            rgb *= 1.0f - 0.25f * smoothstep(0.2f, 0.0f, t);
        }
        rgb *= 0.92f + 0.08f * dirt;
        col = glm::vec4(rgb, 1.0f);
    });
    c.save(out, "cone", 0.0f);
}

// The kart texture's regions (u0, v0, u1, v1) match KartBuilder's: team paint on
// the top half, carbon and the driver's suit in the middle, helmet and metal below.
void kart(const std::string& out, const std::string& name, const glm::vec3& team, bool writeNormals) {
    const Noise n(20);
    Canvas c(512, 512, 2);
    c.paint([&](float u, float v, int x, int y, glm::vec4& col, float& h) {
        glm::vec3 rgb;
        h = 0.0f;
        if (v >= 0.5f) {
            // Paint: a white stripe down the middle of every panel, a darker rim.
            const float pv = (v - 0.5f) * 2.0f;
            rgb = team * (0.85f + 0.25f * pv);
            const float stripe = 1.0f - smoothstep(0.08f, 0.1f, std::abs(u - 0.5f));
            const float pin = 1.0f - smoothstep(0.01f, 0.015f, std::abs(std::abs(u - 0.5f) - 0.14f));
            rgb = glm::mix(rgb, glm::vec3(0.95f), std::max(stripe, pin));
            const float rim = std::min({u, 1.0f - u, pv, 1.0f - pv});
            rgb *= 0.7f + 0.3f * smoothstep(0.0f, 0.06f, rim);
            h = -2.0f * (1.0f - smoothstep(0.0f, 0.02f, rim));
        } else if (v >= 0.25f && u < 0.5f) {
            // Carbon weave.
            const bool warp = ((x / 6) + (y / 6)) % 2 == 0;
            const float t = warp ? fract(static_cast<float>(x) / 6.0f) : fract(static_cast<float>(y) / 6.0f);
            rgb = glm::vec3(0.08f, 0.08f, 0.09f) * (0.7f + 0.6f * std::sin(t * glm::pi<float>()));
            h = std::sin(t * glm::pi<float>());
        } else if (v >= 0.25f) {
            // The driver's suit in a darker team colour with a white band.
            rgb = team * 0.55f;
            const float pv = (v - 0.25f) * 4.0f;
            if (std::abs(pv - 0.5f) < 0.08f)
                rgb = glm::vec3(0.9f);
            rgb *= 0.9f + 0.1f * n.fbm2(u * 64.0f, v * 64.0f, 3, 0);
        } else if (u < 0.5f) {
            // Helmet, wrapped around a sphere: visor to the front (u = 0.25).
            const float hu = u * 2.0f, hv = v * 4.0f;
            rgb = glm::vec3(0.95f);
            if (std::abs(hv - 0.55f) < 0.25f && std::abs(hu - 0.5f) < 0.15f)
                rgb = team;
            if (std::abs(hu - 0.25f) < 0.14f && hv > 0.42f && hv < 0.64f)
                rgb = glm::vec3(0.05f, 0.07f, 0.1f);
        } else {
            // Brushed metal.
            rgb = glm::vec3(0.7f, 0.71f, 0.73f) * (0.85f + 0.15f * n.value2(u * 4.0f, v * 300.0f, 0));
        }
        col = glm::vec4(rgb, 1.0f);
    });
    ImageFile::savePng(c.colour.shrunk(c.shrink), out + "/textures/" + name + ".png", Channels::Rgb);
    if (writeNormals)
        ImageFile::savePng(c.height.normalMap(1.5f, false).shrunk(c.shrink),
                           out + "/textures/kart_normal.png", Channels::Rgb);
}

// Tread on the left half (around the wheel to the right, across its width up),
// the hub cap as a disc on the right half.
void wheel(const std::string& out) {
    Canvas c(1024, 512, 4);
    c.paint([&](float u, float v, int, int, glm::vec4& col, float& h) {
        glm::vec3 rgb;
        if (u < 0.5f) {
            const float around = u * 2.0f;
            const float across = std::abs(v - 0.5f) * 2.0f;
            const bool shoulder = across > 0.85f;
            const float chevron = fract(around * 28.0f + across * 0.8f);
            const bool groove = !shoulder && (chevron < 0.2f || std::abs(v - 0.5f) < 0.025f);
            rgb = glm::vec3(groove ? 0.04f : 0.11f);
            if (shoulder)
                rgb = glm::vec3(0.14f);
            h = groove ? -3.0f : 0.0f;
        } else {
            const glm::vec2 p((u - 0.75f) * 4.0f, (v - 0.5f) * 2.0f);
            const float r = glm::length(p);
            const float angle = std::atan2(p.y, p.x);
            if (r > 0.62f) {
                rgb = glm::vec3(0.1f);
                h = 2.0f * (1.0f - std::abs(r - 0.81f) / 0.19f);
                if (std::abs(r - 0.7f) < 0.01f)
                    rgb = glm::vec3(0.9f, 0.75f, 0.1f); // a thin yellow line on the sidewall
            } else if (r > 0.22f) {
                const float spoke = std::abs(fract(angle * 5.0f / glm::two_pi<float>()) - 0.5f);
                const bool isSpoke = spoke > 0.38f || r > 0.56f || r < 0.28f;
                rgb = isSpoke ? glm::vec3(0.78f, 0.79f, 0.82f) : glm::vec3(0.04f);
                h = isSpoke ? 2.0f : -3.0f;
            } else {
                rgb = glm::vec3(0.7f) * (r < 0.07f ? 0.5f : 1.0f);
                h = r < 0.07f ? 3.0f : 1.0f;
            }
        }
        col = glm::vec4(rgb, 1.0f);
    });
    c.save(out, "wheel", 1.5f);
}

void waterNormal(const std::string& out) {
    const Noise n(21);
    HeightField h(512, 512);
    // Waves with whole numbers of crests across the tile, so that it repeats.
    const int waves[6][2] = {{3, 1}, {-2, 3}, {5, -2}, {1, 6}, {-7, -3}, {9, 4}};
    for (int y = 0; y < 512; ++y) {
        for (int x = 0; x < 512; ++x) {
            const float u = static_cast<float>(x) / 512.0f, v = static_cast<float>(y) / 512.0f;
            float sum = 0.0f;
            for (int i = 0; i < 6; ++i) {
                const float amplitude = 1.0f / static_cast<float>(i + 1);
                sum += amplitude * std::sin(glm::two_pi<float>() * (waves[i][0] * u + waves[i][1] * v) +
                                            static_cast<float>(i) * 1.7f);
            }
            sum += 0.6f * n.fbm2(u * 16.0f, v * 16.0f, 4, 16);
            h.at(x, y) = sum;
        }
    }
    ImageFile::savePng(h.normalMap(6.0f), out + "/textures/water/water_normal.png", Channels::Rgb);
}

} // namespace

void MaterialTextures::generate(const std::string& outDir, int threads) {
    const TextRenderer text(ASSETGEN_FONT);
    std::vector<std::function<void()>> jobs = {
        [&] { road(outDir); },
        [&] { curb(outDir); },
        [&] { wall(outDir); },
        [&] { grass(outDir); },
        [&] { sand(outDir); },
        [&] { rock(outDir); },
        [&] { beam(outDir); },
        [&] { banner(outDir, text); },
        [&] { startLine(outDir); },
        [&] { cone(outDir); },
        [&] { kart(outDir, "kart_blue", glm::vec3(0.1f, 0.32f, 0.95f), true); },
        [&] { kart(outDir, "kart_orange", glm::vec3(1.0f, 0.45f, 0.04f), false); },
        [&] { wheel(outDir); },
        [&] { waterNormal(outDir); },
    };
    for (const TrackBuilder::KartColour& k : TrackBuilder::kartColours())
        jobs.push_back([&outDir, &k] { kart(outDir, k.texture, k.colour, false); });
    // Each job writes its own files, so they may run side by side.
    std::vector<std::thread> workers;
    for (int t = 0; t < std::max(1, threads); ++t) {
        workers.emplace_back([&, t] {
            for (size_t i = static_cast<size_t>(t); i < jobs.size();
                 i += static_cast<size_t>(std::max(1, threads)))
                jobs[i]();
        });
    }
    for (std::thread& w : workers)
        w.join();
}
