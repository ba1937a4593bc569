// The offscreen picture the 3D views draw into when the render scale is below 1
// (or at 1, when the window has no depth buffer of its own to draw with):
// a colour and depth target a fraction of the window's size, upscaled into the
// window with one draw once every view is drawn, so that the HUD and menus drawn
// afterwards stay at the window's full resolution. On a software rasteriser the
// cost of a frame follows its pixels, and this is the lever that moves it most.
// At half size or less the upscale takes the nearest texel: each one covers a
// whole block of window pixels, which looks as sharp as filtering and costs a
// software rasteriser less.
#pragma once

#include "core/render/RenderTarget.h"

#include <glm/glm.hpp>

#include <memory>

class Graphics;
class Mesh;
class ShaderProgram;
class SystemRegistry;

class SceneTarget {
public:
    static constexpr float minScale = 0.25f;

    explicit SceneTarget(SystemRegistry* systems);
    ~SceneTarget();

    // A window rectangle (x, y, width, height) at that scale. Edges are scaled,
    // not sizes, so rectangles that tile the window tile the target without gaps.
    static glm::ivec4 scaleRect(const glm::ivec4& rect, float scale);
    // Below 1: (re)makes the target for a window of that size and scale when
    // either changed; at 1 (or above) frees it, the views draw straight to the
    // window, unless the window has no depth buffer: then the target is full size.
    void update(int windowWidth, int windowHeight, float scale, bool windowHasDepth);
    bool active() const { return target != nullptr; }
    float getScale() const { return target != nullptr ? scale : 1.0f; }
    // The framebuffer the views draw into: the target, or the window's own.
    void bind() const;
    // Builds the upscale's program now rather than on the first present, which
    // would fall in the race.
    void precompile();
    // Upscales the target's from rectangle into the window's to rectangle and
    // leaves the window's framebuffer bound; GL calls made past Graphics. A
    // textured quad drawn through Graphics gives the same pixels as
    // glBlitFramebuffer and made the low frame 2-3 % faster on llvmpipe, whose
    // blit builds and tears down a draw of its own. The quad's shader only
    // copies, and the target is stored in the window's byte order: llvmpipe
    // then draws it on its 8-bit path, at half the cost at medium's filtered
    // scale and two thirds at low's. Without the quad's shader (an empty
    // assets folder) it blits.
    uint32_t present(Graphics& graphics, const glm::ivec4& from, const glm::ivec4& to);

private:
    uint32_t blit(const glm::ivec4& from, const glm::ivec4& to) const;
    // Nearest at half size or less, filtered above: for the quad and the blit alike.
    bool upscaleNearest() const { return scale <= 0.5f; }

    SystemRegistry* systems;
    std::unique_ptr<RenderTarget> target;
    int windowWidth = 0;
    int windowHeight = 0;
    float scale = 1.0f;
    // The built-in "quad2d" program and "fullScreenQuad" mesh, looked up once.
    bool quadLookedUp = false;
    ShaderProgram* quadProgram = nullptr;
    Mesh* quad = nullptr;
};
