// Framebuffer creation and teardown.
#include "core/render/RenderTarget.h"

#include "core/platform/Log.h"
#include "core/resources/Texture2D.h"

RenderTarget::RenderTarget(SystemRegistry* systems) : systems(systems) {}

RenderTarget::~RenderTarget() {
    if (framebuffer != 0) {
        glDeleteFramebuffers(1, &framebuffer);
    }
}

void RenderTarget::addColorTexture(int newWidth, int newHeight) {
    auto texture = std::make_unique<Texture2D>(systems);
    texture->create(newWidth, newHeight, TextureFormat::RGBA, nullptr);
    colorTextures.push_back(texture.get());
    ownedTextures.push_back(std::move(texture));
    width = newWidth;
    height = newHeight;
}

void RenderTarget::addDepthTexture(int newWidth, int newHeight, TextureFormat format) {
    if (format != TextureFormat::DepthStencil && format != TextureFormat::Depth) {
        logInfo("Texture format ", static_cast<int>(format), " is not a depth format.");
        return;
    }
    auto texture = std::make_unique<Texture2D>(systems);
    texture->create(newWidth, newHeight, format, nullptr);
    depthTexture = texture.get();
    ownedTextures.push_back(std::move(texture));
    width = newWidth;
    height = newHeight;
}

bool RenderTarget::create() {
    if (framebuffer == 0) {
        glGenFramebuffers(1, &framebuffer);
    }
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    for (size_t k = 0; k < colorTextures.size(); ++k) {
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0 + static_cast<GLenum>(k), GL_TEXTURE_2D,
                               colorTextures[k]->getTexture(), 0);
    }
    if (depthTexture != nullptr) {
        const bool stencil = depthTexture->getFormat() == TextureFormat::DepthStencil;
        glFramebufferTexture2D(GL_FRAMEBUFFER, stencil ? GL_DEPTH_STENCIL_ATTACHMENT : GL_DEPTH_ATTACHMENT,
                               GL_TEXTURE_2D, depthTexture->getTexture(), 0);
    }
    if (colorTextures.empty()) {
        // A depth-only target has no colour buffer to draw into or read from.
        glDrawBuffer(GL_NONE);
        glReadBuffer(GL_NONE);
    }
    const GLenum status = glCheckFramebufferStatus(GL_FRAMEBUFFER);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    if (status != GL_FRAMEBUFFER_COMPLETE) {
        // Passes still bind it; GL then drops their draws, and the frame carries on.
        logError("Framebuffer incomplete: status 0x", std::hex, status);
        return false;
    }
    return true;
}

void RenderTarget::bind() const {
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
}
