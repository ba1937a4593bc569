// The view's opaque depth from the renderer's depth pre-pass ("depthTex",
// unit 10), for surfaces that fade where they meet solid geometry (water at
// the shore, particles touching the ground). Needs common.glsl first.
// NO_DEPTH_READS (the cheapest preset, which has no pre-pass to read):
// there is never any depth behind.

#ifndef NO_DEPTH_READS
layout(binding = 10) uniform sampler2D depthTex;
// Its rows run from the view's top row down (the renderer copies it so).
uniform bool depthTexTopDown;
#endif

// Distance along the view axis of a window-space depth (0..1).
float viewDepth(float windowDepth) {
    float z = windowDepth * 2.0 - 1.0;
    float near = camera.near;
    float far = camera.far;
    return 2.0 * near * far / max(far + near - z * (far - near), 1e-6);
}

// View-axis distance of the opaque surface behind this fragment. False when
// there is nothing to read: no depth texture bound (it reads 0) or a fragment
// outside it.
bool opaqueDepthBehind(out float depth) {
    depth = 0.0;
#ifdef NO_DEPTH_READS
    return false;
#else
    ivec2 texel = ivec2(gl_FragCoord.xy - vec2(viewport.x, viewport.y));
    if (depthTexTopDown) {
        texel.y = int(viewport.height) - 1 - texel.y;
    }
    ivec2 size = textureSize(depthTex, 0);
    if (any(lessThan(texel, ivec2(0))) || any(greaterThanEqual(texel, size))) {
        return false;
    }
    float stored = texelFetch(depthTex, texel, 0).r;
    if (stored <= 0.0) {
        return false;
    }
    depth = viewDepth(stored);
    return true;
#endif
}
