// The scaled-down offscreen picture and its upscale into the window.
#include "core/render/SceneTarget.h"

#include <cmath>

SceneTarget::SceneTarget(SystemRegistry* systems) : systems(systems) {}

SceneTarget::~SceneTarget() = default;

glm::ivec4 SceneTarget::scaleRect(const glm::ivec4& rect, float scale) {
    const auto edge = [scale](int pixels) {
        return static_cast<int>(std::floor(static_cast<float>(pixels) * scale + 0.5f));
    };
    const int left = edge(rect.x);
    const int bottom = edge(rect.y);
    return {left, bottom, edge(rect.x + rect.z) - left, edge(rect.y + rect.w) - bottom};
}

void SceneTarget::update(int newWidth, int newHeight, float newScale, bool windowHasDepth) {
    const bool fullSize = !(newScale < 1.0f);
    if ((fullSize && windowHasDepth) || newWidth <= 0 || newHeight <= 0) {
        target.reset();
        return;
    }
    newScale = fullSize ? 1.0f : newScale < minScale ? minScale : newScale;
    if (target != nullptr && newWidth == windowWidth && newHeight == windowHeight && newScale == scale) {
        return;
    }
    windowWidth = newWidth;
    windowHeight = newHeight;
    scale = newScale;
    const glm::ivec4 size = scaleRect({0, 0, newWidth, newHeight}, newScale);
    target = std::make_unique<RenderTarget>(systems);
    target->addColorBuffer(size.z, size.w);
    target->addDepthTexture(size.z, size.w);
    if (!target->create()) {
        // Drawn straight into the window instead: full cost, but a picture (with
        // nothing hidden where the window has no depth buffer).
        target.reset();
        return;
    }
    // Views that leave gaps between them show black there, not what the
    // driver left in fresh memory.
    target->bind();
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
}

void SceneTarget::bind() const {
    glBindFramebuffer(GL_FRAMEBUFFER, target != nullptr ? target->framebuffer : 0);
}

uint32_t SceneTarget::present(const glm::ivec4& from, const glm::ivec4& to) const {
    if (target == nullptr) {
        return 0;
    }
    glBindFramebuffer(GL_READ_FRAMEBUFFER, target->framebuffer);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    glBlitFramebuffer(from.x, from.y, from.x + from.z, from.y + from.w, to.x, to.y, to.x + to.z, to.y + to.w,
                      GL_COLOR_BUFFER_BIT, scale <= 0.5f ? GL_NEAREST : GL_LINEAR);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    return 4;
}
