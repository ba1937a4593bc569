// An OpenGL framebuffer with textures attached: the per-view depth texture and
// the shadow maps are depth-only targets.
#pragma once

#include "core/resources/Texture2D.h"

#include <GL/glew.h>

#include <memory>
#include <vector>

class SystemRegistry;

class RenderTarget {
public:
    explicit RenderTarget(SystemRegistry* systems);
    ~RenderTarget();
    RenderTarget(const RenderTarget&) = delete;
    RenderTarget& operator=(const RenderTarget&) = delete;

    // Makes a depth texture of that size (DepthStencil or Depth) the depth attachment.
    void addDepthTexture(int width, int height, TextureFormat format = TextureFormat::DepthStencil);
    // Makes an RGBA8 texture of that size, one level, clamped and filtered, the
    // colour attachment.
    void addColorTexture(int width, int height);
    // Makes the framebuffer from the attachments; false (and logged) when incomplete.
    bool create();
    void bind() const;

    GLuint framebuffer = 0;
    std::vector<Texture2D*> colorTextures;
    Texture2D* depthTexture = nullptr;
    int width = 0;
    int height = 0;

private:
    SystemRegistry* systems;
    // Attachments belong to their target, not to the cache: views come and go with
    // their cameras and must not leave GL textures behind.
    std::vector<std::unique_ptr<Texture2D>> ownedTextures;
};
