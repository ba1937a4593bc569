// Sky cube (fragment stage): samples the cube map "skyboxTex" with the world
// direction (OpenGL's cube-map face rules, no mirroring) and hazes the
// horizon into the fog colour so that fogged distant ground meets the sky
// without a seam.
//
// SKY_FIRST_LEVEL (from the renderer, where the view shows the cube's first
// stored level at about a texel per pixel): that level alone is read.
#version 430 core
#include "core/shaders/common.glsl"

in vec3 vDirection;

uniform samplerCube skyboxTex;

out vec4 fragColor;

void main() {
    vec3 direction = safeNormalize(vDirection, vec3(0.0, 0.0, -1.0));
#ifdef SKY_FIRST_LEVEL
    // Blending in the next level changes the picture by a display step or two
    // at the faces' edges, yet costs a software rasteriser each pixel's level
    // and twice the reads.
    vec3 sky = textureLod(skyboxTex, direction, 0.0).rgb;
#else
    vec3 sky = texture(skyboxTex, direction).rgb;
#endif
    float haze = 1.0 - smoothstep(-0.05, 0.25, direction.y);
    // Hazed as displayed, unlike lit surfaces: the sky is a picture, not a sum
    // of light, and above the haze its texels go out as they are instead of
    // through linear space and back (a few per cent of the high frame).
    fragColor = vec4(mix(sky, fogColor, haze * 0.75) * brightness, 1.0);
}
