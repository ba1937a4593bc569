// Water surface (fragment stage): wave normals plus the scrolling normal map
// "normalMap" (uv0 x "tiling", moving by "speedU"/"speedV" per second, slopes
// scaled by "normalStrength"); the body tinted "color" and lit by the view's
// lights with sun glints; the sky cube "skybox" reflected by Fresnel;
// transparent at "alpha", turning clear towards the shore over
// "fadeDistance" of water in front of the ground ("depthTex") and opaque over
// three times that depth, with a thin foam line where it touches; calmer the
// flatter it is seen; fogged from "waterFogDistance" over
// "waterFogRange". SIMPLE_WATER (the cheaper presets): one ripple lookup.
// SIMPLE_LIGHTING (the cheaper presets): the glints from the same lobe
// computed in scalars. VERTEX_WAVES (the cheapest preset): the waves' normal
// comes from the vertex stage.
#version 430 core
#include "core/shaders/common.glsl"
#include "core/shaders/lighting.glsl"
#include "core/shaders/waves.glsl"
#include "core/shaders/scene_depth.glsl"

in vec3 vWorldPos;
in vec2 vUv;
#ifdef VERTEX_WAVES
in vec3 vWaveNormal;
#endif

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
    vec3 a = unpackNormal(texture(normalMap, uvA).rg);
#ifdef SIMPLE_WATER
    vec2 slope = 2.0 * a.xy / max(a.z, 0.1);
#else
    vec3 b = unpackNormal(texture(normalMap, uvB).rg);
    vec2 slope = a.xy / max(a.z, 0.1) + b.xy / max(b.z, 0.1);
#endif
    // Texture v runs against world z on a plane seen from above.
    return vec2(slope.x, -slope.y) * normalStrength;
}

// Scales the slope of a unit normal of the water plane.
vec3 scaleSlope(vec3 n, float scale) {
    return normalize(vec3(n.x * scale, n.y, n.z * scale));
}

#ifdef SIMPLE_LIGHTING
// shadeLight's lobe for this one surface (reflectance 0.02, roughness 0.08),
// with the Fresnel term in scalars: the water's glints, at a fraction of the cost.
vec3 glint(vec3 n, vec3 v, vec3 toLight, vec3 radiance) {
    float nDotL = dot(n, toLight);
    if (nDotL <= 0.0) {
        return vec3(0.0);
    }
    vec3 h = normalize(toLight + v);
    float nDotV = max(dot(n, v), 1e-4);
    float nDotH = max(dot(n, h), 0.0);
    float fresnel = 0.02 + 0.98 * pow5(1.0 - max(dot(v, h), 0.0));
    const float a2 = 0.08 * 0.08 * 0.08 * 0.08;
    const float k = (0.08 + 1.0) * (0.08 + 1.0) / 8.0;
    float denom = nDotH * nDotH * (a2 - 1.0) + 1.0;
    float lobe = a2 / (4.0 * denom * denom * (nDotV * (1.0 - k) + k) * (nDotL * (1.0 - k) + k));
    return radiance * (lobe * fresnel * nDotL);
}
#endif

void main() {
#ifndef VERTEX_WAVES
    vec2 footprint = max(abs(dFdx(vWorldPos.xz)), abs(dFdy(vWorldPos.xz)));
#endif
    vec3 toCamera = camera.position - vWorldPos;
    float viewDistance = length(toCamera);
    vec3 v = viewDistance > 1e-5 ? toCamera / viewDistance : vec3(0.0, 1.0, 0.0);
    // Seen at a grazing angle, a slope steeper than the view line turns a wave's
    // back from the camera: whole bands would flip between sky and deep water.
    // Slopes shrink with the angle, so the far water lies calm and mirror-like.
    float calm = mix(0.12, 1.0, smoothstep(0.03, 0.4, v.y));
#ifdef VERTEX_WAVES
    vec3 waveN = scaleSlope(vWaveNormal, calm);
#else
    vec3 waveN = scaleSlope(waveNormal(vWorldPos.xz, frame.totalTime, max(footprint.x, footprint.y)), calm);
#endif
    vec2 ripple = rippleSlope() * calm;
    vec3 n = normalize(waveN + vec3(-ripple.x, 0.0, -ripple.y));
    // Never below half the flat surface's value: a wave's back seen edge-on
    // would otherwise mirror the whole sky in a stripe.
    float nDotV = clamp(dot(n, v), 0.5 * max(v.y, 0.0), 1.0);

    // Reflection: rays bent below the horizon by steep waves would see the
    // ground half of the sky, so they are folded back up.
    vec3 reflected = reflect(-v, n);
    reflected.y = abs(reflected.y);
    vec3 sky = toLinear(texture(skybox, reflected).rgb);
    float fresnel = 0.02 + 0.98 * pow5(1.0 - nDotV);

    // How much water lies in front of the ground behind (none read: shallow).
    float behind;
    bool seesGround = opaqueDepthBehind(behind);
    float thickness = seesGround ? max(behind - viewDepth(gl_FragCoord.z), 0.0) : 0.0;
    float deep = seesGround ? smoothstep(fadeDistance, 3.0 * fadeDistance, thickness) : 0.0;
    // Deep water is darker, as the seabed seen through shallower water is.
    vec3 body = toLinear(color) * mix(1.0, 0.35, deep);
    vec3 lit = ambientColor * body;
    vec3 glints = vec3(0.0);
#if NUM_LIGHTS > 0
#ifndef SIMPLE_LIGHTING
    Surface s = Surface(vWorldPos, n, v, vec3(0.0), vec3(0.02), 0.08);
#endif
    for (int i = 0; i < NUM_LIGHTS; ++i) {
        vec3 toLight;
        vec3 radiance;
        lightIncidence(lights[i], vWorldPos, toLight, radiance);
        // Light scattered inside the water ignores the ripples.
        lit += body * radiance * (0.35 + 0.65 * max(dot(waveN, toLight), 0.0));
#ifdef SIMPLE_LIGHTING
        glints += glint(n, v, toLight, radiance);
#else
        glints += shadeLight(s, toLight, radiance);
#endif
    }
#endif
    vec3 rgb = mix(lit, sky, fresnel) + glints;
    float a = mix(clamp(alpha, 0.0, 1.0), 1.0, fresnel);

    // Shore: the thinner the water in front of the ground, the clearer it is.
    if (seesGround) {
        a *= clamp(thickness / max(fadeDistance, 1e-3), 0.0, 1.0);
        // Deep water hides what lies under it, the seabed's far edge included.
        a = mix(a, 1.0, deep);
        float swell = 0.7 + 0.3 * sin(dot(vWorldPos.xz, vec2(0.7, 0.5)) + 1.5 * frame.totalTime);
        float foam = (1.0 - smoothstep(0.0, 0.3, thickness)) * swell;
        rgb = mix(rgb, vec3(0.85), foam * 0.5);
        a = max(a, foam * 0.35);
    }
    a = clamp(a + length(glints), 0.0, 1.0);

    float fog = fogAmount(viewDistance, waterFogDistance, waterFogRange);
    rgb = mix(rgb, fogLinear(), fog);
    a = mix(a, 1.0, fog);
    fragColor = finalColor(rgb, a);
}
