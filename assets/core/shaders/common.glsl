// Declarations shared by every 3D shader: the renderer's per-program and
// per-object uniforms, define defaults, colour-space helpers and distance fog.
// Included by both stages, so every uniform here has one definition for the
// whole program.

#ifndef NUM_LIGHTS
#define NUM_LIGHTS 0
#endif

// "SHADOW" may come with "NUM_SHADOWMAPS 0" (a view without shadow-casting
// lights); a zero-sized sampler array is illegal, so the shadow code keys on
// this instead.
#ifdef SHADOW
#ifdef NUM_SHADOWMAPS
#if NUM_SHADOWMAPS > 0
#define HAS_SHADOW_MAPS
#endif
#endif
#endif

const float PI = 3.14159265;

struct FrameData {
    float dt;
    float totalTime;
};
uniform FrameData frame;

struct CameraData {
    float near;
    float far;
    vec3 position;
    mat4 eye;
    mat4 view;
    mat4 projection;
    mat4 viewProjection;
};
uniform CameraData camera;

struct ViewportData {
    float x;
    float y;
    float width;
    float height;
};
uniform ViewportData viewport;

struct ObjectData {
    mat4 world;
    mat4 normal;
    mat4 worldView;
    mat4 worldViewProjection;
};
uniform ObjectData object;

uniform vec3 ambientColor;
uniform vec3 fogColor;
// fogColor raised to 2.2 by the renderer once per view (see fogLinear).
uniform vec3 fogColorLinear;
uniform float fogStart;
uniform float fogRange;
uniform float brightness;

// Textures and material colours are authored as displayed; lighting is summed
// in linear space so that shading falls off and adds up the way light does.
// SIMPLE_LIGHTING (the cheaper presets) takes a gamma of 2 instead of 2.2: a
// square and a square root instead of a pow per channel each way. Unlit
// colours come back exactly; shading falls off a little faster.
#ifdef SIMPLE_LIGHTING
vec3 toLinear(vec3 c) {
    c = max(c, vec3(0.0));
    return c * c;
}

vec3 toDisplay(vec3 c) {
    return sqrt(max(c, vec3(0.0)));
}
#else
// A gamma of 2.2, without pow: a software rasteriser works out a pow as a log
// and an exp per channel, in long series of instructions for every pixel.
// From 0 to 1 these fits stay within 0.6 of a display step of the pow, round
// trips included; colours as displayed never leave that range (toLinear).
// Lit sums above 1 show only at a brightness below 100 %: there toDisplay
// falls slowly under the pow (2 % at 5, 6.5 % at 16) and stops rising at 64.
vec3 toLinear(vec3 c) {
    c = clamp(c, 0.0, 1.0);
    return c * c * (0.5106014 + c * (1.2582290 + c * (-1.3431429 + c * 0.5775196)));
}

vec3 toDisplay(vec3 c) {
    c = clamp(c, 0.0, 64.0);
    vec3 root2 = sqrt(c);
    vec3 root4 = sqrt(root2);
    vec3 root8 = sqrt(root4);
    return 0.8989867 * root2 + 0.1761601 * root4 - 0.0383728 * root8 - 0.0372854 * c;
}
#endif

// x to the fifth, for Schlick's Fresnel term, in three multiplications.
float pow5(float x) {
    float x2 = x * x;
    return x2 * x2 * x;
}

// The fog's colour in linear space. Values that depend on uniforms only are
// worked out by the renderer once per view where they cost more than a few
// multiplications: a software rasteriser would repeat them for every pixel.
vec3 fogLinear() {
#ifdef SIMPLE_LIGHTING
    return toLinear(fogColor);
#else
    return fogColorLinear;
#endif
}

// Normal maps are loaded with their red and green only (half the memory): a
// tangent-space normal's z is never negative, so its length gives it back.
vec3 unpackNormal(vec2 texel) {
    vec2 xy = texel * 2.0 - 1.0;
    return vec3(xy, sqrt(max(1.0 - dot(xy, xy), 0.0)));
}

vec3 safeNormalize(vec3 v, vec3 fallback) {
    float len = length(v);
    return len > 1e-6 ? v / len : fallback;
}

// 0 before start, 1 at start + range; a zero range makes a hard edge instead of
// dividing by zero.
float fogAmount(float dist, float start, float range) {
    return clamp((dist - start) / max(range, 1e-4), 0.0, 1.0);
}

float sceneFog(vec3 worldPos) {
    return fogAmount(length(worldPos - camera.position), fogStart, fogRange);
}

// Brightness is the player's screen setting, so it scales what is displayed.
vec4 finalColor(vec3 linearColor, float alpha) {
    return vec4(toDisplay(linearColor) * brightness, alpha);
}
