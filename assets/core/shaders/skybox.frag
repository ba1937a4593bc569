// Sky cube (fragment stage): samples the cube map "skyboxTex" with the world
// direction (OpenGL's cube-map face rules, no mirroring) and hazes the
// horizon into the fog colour so that fogged distant ground meets the sky
// without a seam.
#version 430 core
#include "core/shaders/common.glsl"

in vec3 vDirection;

uniform samplerCube skyboxTex;

out vec4 fragColor;

void main() {
    vec3 direction = safeNormalize(vDirection, vec3(0.0, 0.0, -1.0));
    vec3 sky = toLinear(texture(skyboxTex, direction).rgb);
    float haze = 1.0 - smoothstep(-0.05, 0.25, direction.y);
    vec3 color = mix(sky, fogLinear(), haze * 0.75);
    fragColor = finalColor(color, 1.0);
}
