// Instanced particles (fragment stage): texture "particleTex" (one cell of the
// 10 x 5 sheet with ANIMATED), tinted by the palette colour and "color",
// faded by "particleAlpha", softened where the quad cuts into solid geometry,
// and fogged. ANIMATED systems are drawn additively (constant-colour
// blending ignores alpha), so their colour is premultiplied by alpha.
#version 430 core
#include "core/shaders/common.glsl"
#include "core/shaders/scene_depth.glsl"

#define SHEET_COLUMNS 10
#define SHEET_ROWS 5
// World distance over which a particle fades out in front of a surface.
#define SOFT_DISTANCE 0.5

in vec2 vUv;
flat in vec2 vCell;
in vec3 vTint;
in float vAlpha;
in vec3 vWorldPos;

uniform sampler2D particleTex;
uniform vec4 color;

out vec4 fragColor;

vec2 sheetUv() {
#ifdef ANIMATED
    // Half a texel inset keeps mipmapped lookups from bleeding in the
    // neighbouring frames.
    vec2 cellTexels = vec2(textureSize(particleTex, 0)) / vec2(SHEET_COLUMNS, SHEET_ROWS);
    vec2 inset = 0.5 / max(cellTexels, vec2(1.0));
    vec2 local = mix(inset, 1.0 - inset, clamp(vUv, 0.0, 1.0));
    return (vCell + local) / vec2(SHEET_COLUMNS, SHEET_ROWS);
#else
    return vUv;
#endif
}

void main() {
    vec4 texel = texture(particleTex, sheetUv());
    vec3 rgb = texel.rgb * vTint * color.rgb;
    float alpha = texel.a * color.a * vAlpha;

    float behind;
    if (opaqueDepthBehind(behind)) {
        alpha *= clamp((behind - viewDepth(gl_FragCoord.z)) / SOFT_DISTANCE, 0.0, 1.0);
    }

    float fog = sceneFog(vWorldPos);
#ifdef ANIMATED
    fragColor = vec4(rgb * alpha * (1.0 - fog) * brightness, alpha);
#else
    fragColor = vec4(mix(rgb, fogColor, fog) * brightness, alpha);
#endif
}
