// The scaled-down offscreen picture and its upscale into the window.
#include "core/render/SceneTarget.h"

#include "core/render/Graphics.h"
#include "core/resources/IndexBuffer.h"
#include "core/resources/Mesh.h"
#include "core/resources/ResourceCache.h"
#include "core/resources/Shader.h"
#include "core/resources/UniformId.h"
#include "core/runtime/SystemRegistry.h"

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
    target->addColorTexture(size.z, size.w);
    target->addDepthTexture(size.z, size.w);
    if (!target->create()) {
        // Drawn straight into the window instead: full cost, but a picture (with
        // nothing hidden where the window has no depth buffer).
        target.reset();
        return;
    }
    target->colorTextures.front()->setNearestTexel(upscaleNearest());
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

void SceneTarget::precompile() {
    if (quadLookedUp) {
        return;
    }
    quadLookedUp = true;
    if (auto* cache = systems != nullptr ? systems->get<ResourceCache>() : nullptr) {
        Shader* shader = cache->get<Shader>("quad2d");
        ShaderProgram* program =
            shader != nullptr ? shader->getProgram(std::vector<std::string>{"PLAIN_COPY"}) : nullptr;
        quadProgram = program != nullptr && program->isLinked() ? program : nullptr;
        quad = cache->get<Mesh>("fullScreenQuad");
    }
}

uint32_t SceneTarget::present(Graphics& graphics, const glm::ivec4& from, const glm::ivec4& to) {
    if (target == nullptr) {
        return 0;
    }
    precompile();
    if (quadProgram == nullptr || quad == nullptr || quad->getIndexBuffer() == nullptr) {
        return blit(from, to);
    }
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    graphics.setViewport(0, 0, windowWidth, windowHeight);
    graphics.setPolygonMode(PolygonMode::Fill);
    graphics.setBlendMode(BlendMode::None);
    graphics.setCullMode(CullMode::None);
    graphics.setDepthFunc(DepthFunc::Always);
    graphics.setDepthWrite(false);
    graphics.useProgram(quadProgram);
    // The quad spans the whole target (uv 0 to 1 from corner -1 to 1); placed so
    // that from lands on to, exactly as a blit maps pixel centres, and cut to to.
    const glm::vec2 size(target->width, target->height);
    const glm::vec2 window(windowWidth, windowHeight);
    const glm::vec2 stretch = glm::vec2(to.z, to.w) / glm::vec2(from.z, from.w);
    const glm::vec2 span = size * stretch / window;
    const glm::vec2 centre =
        2.0f * (glm::vec2(to.x, to.y) + (0.5f * size - glm::vec2(from.x, from.y)) * stretch) / window - 1.0f;
    glm::mat4 placement(1.0f);
    placement[0][0] = span.x;
    placement[1][1] = span.y;
    placement[3] = glm::vec4(centre, 0.0f, 1.0f);
    static const UniformId placementName("object.worldViewProjection");
    static const UniformId textureName("tex");
    graphics.setUniform(placementName, placement);
    graphics.setUniform(textureName, 0);
    graphics.bindTexture(0, target->colorTextures.front());
    graphics.bindBuffers(quad->getVertexBuffers(), quad->getIndexBuffer());
    const bool whole = to.x == 0 && to.y == 0 && to.z == windowWidth && to.w == windowHeight;
    if (!whole) {
        glEnable(GL_SCISSOR_TEST);
        glScissor(to.x, to.y, to.z, to.w);
    }
    graphics.drawIndexed(quad->getIndexBuffer()->count);
    if (!whole) {
        glDisable(GL_SCISSOR_TEST);
        return 4;
    }
    return 1;
}

uint32_t SceneTarget::blit(const glm::ivec4& from, const glm::ivec4& to) const {
    glBindFramebuffer(GL_READ_FRAMEBUFFER, target->framebuffer);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    glBlitFramebuffer(from.x, from.y, from.x + from.z, from.y + from.w, to.x, to.y, to.x + to.z, to.y + to.w,
                      GL_COLOR_BUFFER_BIT, upscaleNearest() ? GL_NEAREST : GL_LINEAR);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    return 4;
}
