// The default surface shader (vertex stage): the track, the karts and every
// imported mesh. Passes world-space position, normal frame and both UV sets to
// the fragment stage; tangents and lightmap UVs are read only by the variants
// that use them, so meshes without them still bind.
// VERTEX_SKY: the sky the surface reflects is looked up here, per vertex
// (see default.frag).
#version 430 core
#include "core/shaders/common.glsl"

in vec3 position;
in vec3 normal;
#if defined(DIFFUSE) || defined(NORMAL)
in vec2 uv0;
#endif
#ifdef NORMAL
in vec3 tangent;
in vec3 bitangent;
#endif
#ifdef LIGHTMAP
in vec2 uv1;
#endif

out vec3 vWorldPos;
out vec3 vNormal;
out vec2 vUv0;
out vec2 vUv1;
out vec3 vTangent;
out vec3 vBitangent;
#if defined(VERTEX_SKY) && !defined(NO_SKY_REFLECTION)
#include "core/shaders/sky_reflection.glsl"
uniform float roughness;
out vec3 vSky;
#endif

// Matches the depth pre-pass exactly (see depth.vert).
invariant gl_Position;

void main() {
    vec4 world = object.world * vec4(position, 1.0);
    vWorldPos = world.xyz;
    vNormal = mat3(object.normal) * normal;
#if defined(DIFFUSE) || defined(NORMAL)
    vUv0 = uv0;
#else
    vUv0 = vec2(0.0);
#endif
#ifdef NORMAL
    vTangent = mat3(object.world) * tangent;
    vBitangent = mat3(object.world) * bitangent;
#else
    vTangent = vec3(0.0);
    vBitangent = vec3(0.0);
#endif
#ifdef LIGHTMAP
    vUv1 = uv1;
#else
    vUv1 = vec2(0.0);
#endif
#if defined(VERTEX_SKY) && !defined(NO_SKY_REFLECTION)
    // The direction a back face reflects is the same: reflect() does not
    // change when the normal turns round.
    vec3 n = safeNormalize(vNormal, vec3(0.0, 1.0, 0.0));
    vec3 v = safeNormalize(camera.position - vWorldPos, n);
    vSky = reflectedSky(reflect(-v, n), clamp(roughness, 0.05, 1.0));
#endif
    gl_Position = object.worldViewProjection * vec4(position, 1.0);
}
