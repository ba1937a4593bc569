// Water surface (fragment stage): wave normals plus the scrolling normal map
// "normalMap" (uv0 x "tiling", moving by "speedU"/"speedV" per second, slopes
// scaled by "normalStrength"); the body tinted "color" and lit by the view's
// lights with sun glints; the sky cube "skybox" reflected by Fresnel;
// transparent at "alpha", turning clear towards the shore over
// "fadeDistance" of water in front of the ground ("depthTex"), with a thin
// foam line where it touches; fogged from "waterFogDistance" over
// "waterFogRange". SIMPLE_WATER (the cheaper presets): one ripple lookup.
#version 430 core
#include "core/shaders/common.glsl"
#include "core/shaders/lighting.glsl"
#include "core/shaders/waves.glsl"
#include "core/shaders/scene_depth.glsl"

in vec3 vWorldPos;
in vec2 vUv;

uniform vec3 color;
uniform float alpha;
uniform float fadeDistance;
uniform float speedU;
uniform float speedV;
uniform float tiling;
uniform float normalStrength;
uniform float waterFogDistance;
uniform float waterFogRange;
uniform sampler2D normalMap;
layout(binding = 11) uniform samplerCube skybox;

out vec4 fragColor;

// Two lookups of the map, the second larger and crossing the first, so its
// tiling does not show; the result is a slope (x along world x, y along z).
vec2 rippleSlope() {
    float time = frame.totalTime;
    vec2 scroll = vec2(speedU, speedV) * time;
    vec2 uvA = vUv * tiling + scroll;
    vec2 uvB = vUv * tiling * 0.37 + vec2(scroll.y, -scroll.x) * 0.7 + vec2(0.31, 0.57);
    vec3 a = texture(normalMap, uvA).xyz * 2.0 - 1.0;
#ifdef SIMPLE_WATER
    vec2 slope = 2.0 * a.xy / max(a.z, 0.1);
#else
    vec3 b = texture(normalMap, uvB).xyz * 2.0 - 1.0;
    vec2 slope = a.xy / max(a.z, 0.1) + b.xy / max(b.z, 0.1);
#endif
    // Texture v runs against world z on a plane seen from above.
    return vec2(slope.x, -slope.y) * normalStrength;
}

void main() {
    vec2 footprint = max(abs(dFdx(vWorldPos.xz)), abs(dFdy(vWorldPos.xz)));
    vec3 waveN = waveNormal(vWorldPos.xz, frame.totalTime, max(footprint.x, footprint.y));
    vec2 ripple = rippleSlope();
    vec3 n = normalize(waveN + vec3(-ripple.x, 0.0, -ripple.y));
    vec3 toCamera = camera.position - vWorldPos;
    float viewDistance = length(toCamera);
    vec3 v = viewDistance > 1e-5 ? toCamera / viewDistance : vec3(0.0, 1.0, 0.0);
    float nDotV = max(dot(n, v), 0.0);

    // Reflection: rays bent below the horizon by steep waves would see the
    // ground half of the sky, so they are folded back up.
    vec3 reflected = reflect(-v, n);
    reflected.y = abs(reflected.y);
    vec3 sky = toLinear(texture(skybox, reflected).rgb);
    float fresnel = 0.02 + 0.98 * pow(1.0 - nDotV, 5.0);

    vec3 body = toLinear(color);
    vec3 lit = ambientColor * body;
    vec3 glints = vec3(0.0);
#if NUM_LIGHTS > 0
    Surface s = Surface(vWorldPos, n, v, vec3(0.0), vec3(0.02), 0.08);
    for (int i = 0; i < NUM_LIGHTS; ++i) {
        vec3 toLight;
        vec3 radiance;
        lightIncidence(lights[i], vWorldPos, toLight, radiance);
        // Light scattered inside the water ignores the ripples.
        lit += body * radiance * (0.35 + 0.65 * max(dot(waveN, toLight), 0.0));
        glints += shadeLight(s, toLight, radiance);
    }
#endif
    vec3 rgb = mix(lit, sky, fresnel) + glints;
    float a = mix(clamp(alpha, 0.0, 1.0), 1.0, fresnel);

    // Shore: the thinner the water in front of the ground, the clearer it is.
    float behind;
    if (opaqueDepthBehind(behind)) {
        float thickness = max(behind - viewDepth(gl_FragCoord.z), 0.0);
        a *= clamp(thickness / max(fadeDistance, 1e-3), 0.0, 1.0);
        float swell = 0.7 + 0.3 * sin(dot(vWorldPos.xz, vec2(0.7, 0.5)) + 1.5 * frame.totalTime);
        float foam = (1.0 - smoothstep(0.0, 0.3, thickness)) * swell;
        rgb = mix(rgb, vec3(0.85), foam * 0.5);
        a = max(a, foam * 0.35);
    }
    a = clamp(a + length(glints), 0.0, 1.0);

    float fog = fogAmount(viewDistance, waterFogDistance, waterFogRange);
    rgb = mix(rgb, toLinear(fogColor), fog);
    a = mix(a, 1.0, fog);
    fragColor = finalColor(rgb, a);
}
