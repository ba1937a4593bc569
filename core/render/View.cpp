// Per-view lists and their sorting.
#include "core/render/View.h"

#include "core/render/Camera.h"
#include "core/render/Light.h"
#include "core/render/Renderer.h"
#include "core/render/SceneTarget.h"
#include "core/resources/Material.h"

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
    for (ShadowCaster& caster : shadowCasters) {
        caster.items.clear();
        spareCasterLists.push_back(std::move(caster.items));
    }
    shadowCasters.clear();
    depthReady = false;
}

bool View::onlyDirectionalLights() const {
    return !lights.empty() && std::all_of(lights.begin(), lights.end(), [](const Light* light) {
        return light->type == Light::directional;
    });
}

ShadowCaster& View::addShadowCaster() {
    shadowCasters.emplace_back();
    ShadowCaster& caster = shadowCasters.back();
    if (!spareCasterLists.empty()) {
        caster.items = std::move(spareCasterLists.back());
        spareCasterLists.pop_back();
    }
    return caster;
}

void View::reserve(size_t itemCount) {
    items.reserve(itemCount);
    depthList.reserve(itemCount);
    distances.reserve(itemCount);
    for (auto& queue : queues) {
        queue.reserve(itemCount);
    }
    for (ShadowCaster& caster : shadowCasters) {
        caster.items.reserve(itemCount);
    }
    for (auto& list : spareCasterLists) {
        list.reserve(itemCount);
    }
}

void View::updateViewport() {
    windowViewport = camera->getPixelViewport();
    const float scale = renderer != nullptr ? renderer->getSceneScale() : 1.0f;
    viewport = scale < 1.0f ? SceneTarget::scaleRect(windowViewport, scale) : windowViewport;
}

void View::sort(const glm::vec3& eye, bool frontToBack) {
    distances.resize(items.size());
    for (size_t i = 0; i < items.size(); ++i) {
        distances[i] = glm::distance(eye, items[i].position);
    }
    // Plain sorts with the index as the last tie-break: as stable as a stable
    // sort, without the buffer it allocates every frame.
    const auto nearFirst = [this](uint32_t a, uint32_t b) {
        return distances[a] != distances[b] ? distances[a] < distances[b] : a < b;
    };
    // Near first, but what other items lie on after them all: a chunk of the
    // ground whose centre lies nearer would otherwise come before the road on
    // it, and the ground under the road be shaded only to be covered.
    const auto nearFirstUnderlaysLast = [this, &nearFirst](uint32_t a, uint32_t b) {
        const bool underA = items[a].material->isUnderlay();
        const bool underB = items[b].material->isUnderlay();
        return underA != underB ? underB : nearFirst(a, b);
    };
    std::sort(depthList.begin(), depthList.end(), nearFirstUnderlaysLast);
    if (frontToBack) {
        std::sort(queues[0].begin(), queues[0].end(), nearFirstUnderlaysLast);
    } else {
        std::sort(queues[0].begin(), queues[0].end(), [this](uint32_t a, uint32_t b) {
            return items[a].key != items[b].key ? items[a].key < items[b].key : a < b;
        });
    }
    std::sort(queues[3].begin(), queues[3].end(), [this](uint32_t a, uint32_t b) {
        return distances[a] != distances[b] ? distances[a] > distances[b] : a < b;
    });
}
