// The offscreen picture the 3D views draw into when the render scale is below 1
// (or at 1, when the window has no depth buffer of its own to draw with):
// a colour and depth target a fraction of the window's size, upscaled into the
// window with one blit once every view is drawn, so that the HUD and menus drawn
// afterwards stay at the window's full resolution. On a software rasteriser the
// cost of a frame follows its pixels, and this is the lever that moves it most.
// At half size or less the blit takes the nearest texel: each one covers a
// whole block of window pixels, which looks as sharp as filtering and costs a
// software rasteriser less.
#pragma once

#include "core/render/RenderTarget.h"

#include <glm/glm.hpp>

#include <memory>

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
    // Upscales the target's from rectangle into the window's to rectangle and
    // leaves the window's framebuffer bound; GL calls made.
    uint32_t present(const glm::ivec4& from, const glm::ivec4& to) const;

private:
    SystemRegistry* systems;
    std::unique_ptr<RenderTarget> target;
    int windowWidth = 0;
    int windowHeight = 0;
    float scale = 1.0f;
};
