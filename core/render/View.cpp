// Per-view lists and their sorting.
#include "core/render/View.h"

#include "core/render/Camera.h"
#include "core/render/Graphics.h"
#include "core/runtime/SystemRegistry.h"

#include <algorithm>

View::View(Camera* camera, Graphics* graphics, Renderer* renderer)
    : camera(camera), graphics(graphics), renderer(renderer) {}

void View::clear() {
    lights.clear();
    items.clear();
    depthList.clear();
    for (auto& queue : queues) {
        queue.clear();
    }
    shadowCasters.clear();
}

void View::updateViewport() {
    const glm::ivec4 wanted = camera->getPixelViewport();
    const bool resized = depthTarget == nullptr || wanted.z != viewport.z || wanted.w != viewport.w;
    viewport = wanted;
    if (!resized || graphics == nullptr || !graphics->hasWindow() || wanted.z <= 0 || wanted.w <= 0) {
        return;
    }
    depthTarget = std::make_unique<RenderTarget>(camera->systems);
    depthTarget->addDepthTexture(wanted.z, wanted.w);
    depthTarget->create();
}

void View::sort(const glm::vec3& eye) {
    std::vector<float> distance(items.size());
    for (size_t i = 0; i < items.size(); ++i) {
        distance[i] = glm::distance(eye, items[i].position);
    }
    // Stable sorts keep the order the drawables were found in for equal keys and distances.
    std::stable_sort(depthList.begin(), depthList.end(),
                     [&](uint32_t a, uint32_t b) { return distance[a] < distance[b]; });
    std::stable_sort(queues[0].begin(), queues[0].end(),
                     [&](uint32_t a, uint32_t b) { return items[a].key < items[b].key; });
    std::stable_sort(queues[3].begin(), queues[3].end(),
                     [&](uint32_t a, uint32_t b) { return distance[a] > distance[b]; });
}
