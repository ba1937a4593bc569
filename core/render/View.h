// What the renderer builds for one camera each frame: the pixel viewport, the
// lights, the render items filed into six queues and a depth list, and the
// shadow casters.
#pragma once

#include "core/render/RenderItem.h"
#include "core/render/RenderTarget.h"
#include "core/render/ShadowCaster.h"

#include <glm/glm.hpp>

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

class Camera;
class Graphics;
class Light;
class Renderer;

class View {
public:
    // Render queues, drawn in order: 0 opaque (near first without a depth
    // pre-pass), 2 the sky, 3 the transparent (far first), which may read the
    // view's opaque depth.
    static constexpr size_t queueCount = 6;
    static constexpr size_t firstTransparentQueue = 3;

    View(Camera* camera, Graphics* graphics, Renderer* renderer);

    // Empties the frame's lists.
    void clear();
    // Takes the camera's pixel viewport (scaled to the renderer's offscreen picture).
    void updateViewport();
    // Depth list near to far, queue 0 by key (near to far with frontToBack),
    // queue 3 far to near; eye is the camera's position. Near to far puts
    // underlays (Material::setUnderlay) after the rest. Ties keep the order the
    // items were added in.
    void sort(const glm::vec3& eye, bool frontToBack = false);
    // A new shadow caster for this frame, its item list reused from earlier frames.
    ShadowCaster& addShadowCaster();
    // Room for this many items in every list, shadow casters' included, so that
    // a frame that sees more of the scene than the ones before allocates nothing.
    void reserve(size_t itemCount);

    const RenderItem& item(uint32_t index) const { return items[index]; }
    // Whether every light of the view is directional (none: false). Shaders then
    // leave out the point and spot terms, which a software rasteriser would work
    // out for every pixel and throw away.
    bool onlyDirectionalLights() const;

    Camera* const camera;
    uint32_t culled = 0;
    Graphics* const graphics;
    Renderer* const renderer;
    // Where the view draws: the camera's part of the window, scaled down to the
    // renderer's offscreen picture when it draws at a render scale below 1.
    glm::ivec4 viewport{0, 0, 1, 1};
    // The camera's part of the window itself.
    glm::ivec4 windowViewport{0, 0, 1, 1};
    std::vector<Light*> lights;
    // Every item of the frame; the lists below hold indices into it, so one item
    // is stored once however many lists it joins.
    std::vector<RenderItem> items;
    std::vector<uint32_t> depthList;
    std::array<std::vector<uint32_t>, queueCount> queues;
    std::vector<ShadowCaster> shadowCasters;
    // Set once this view's opaque depth is in place: in the framebuffer it draws
    // into and, where the preset reads it, in the renderer's view depth texture.
    bool depthReady = false;

private:
    std::vector<float> distances;
    std::vector<std::vector<uint32_t>> spareCasterLists;
};
