// The default surface shader (fragment stage): albedo and diffuse texture,
// tangent-space normal mapping, every light of the view with shadow maps,
// the baked lightmap, ambient and sky reflection, distance fog, brightness.
//
// Defines: DIFFUSE (diffuseTex), NORMAL (normalTex, switched at run time by
// the "normals" uniform), LIGHTMAP (lightMap on uv1), SHADOW with
// NUM_SHADOWMAPS, NUM_LIGHTS, CUTOUT (alpha test: texels whose alpha is below
// the albedo's alpha are cut out, so albedo.a is the threshold),
// NO_SKY_REFLECTION (the cheap presets: no cube map lookup), VERTEX_SKY (the
// reflected sky's colour comes from the vertex stage, default.vert),
// SIMPLE_LIGHTING (the cheaper presets: Lambert diffuse only, no specular
// lobe, for a surface that is rough and not metallic all but the same).
//
// Lightmap texels are linear factors: red is how much of the sun reaches the
// texel (baked shadows), green how much of the sky it sees (ambient
// occlusion); blue is unused. A grey lightmap serves as both.
#version 430 core
#include "core/shaders/common.glsl"
#include "core/shaders/lighting.glsl"
#include "core/shaders/shadows.glsl"
#include "core/shaders/sky_reflection.glsl"

in vec3 vWorldPos;
in vec3 vNormal;
in vec2 vUv0;
in vec2 vUv1;
in vec3 vTangent;
in vec3 vBitangent;
#if defined(VERTEX_SKY) && !defined(NO_SKY_REFLECTION)
in vec3 vSky;
#endif

uniform vec4 albedo;
uniform float metallic;
uniform float roughness;
uniform bool normals;

#ifdef DIFFUSE
uniform sampler2D diffuseTex;
#endif
#ifdef NORMAL
uniform sampler2D normalTex;
#endif
#ifdef LIGHTMAP
layout(binding = 9) uniform sampler2D lightMap;
#endif
out vec4 fragColor;

// Normal maps are tangent-space, green pointing along +v (OpenGL convention).
vec3 shadingNormal(vec3 geometric) {
#ifdef NORMAL
    if (normals) {
        vec3 t = vTangent - geometric * dot(geometric, vTangent);
        // Meshes without usable tangents (degenerate UVs) keep the plain normal.
        if (dot(t, t) > 1e-12 && dot(vBitangent, vBitangent) > 1e-12) {
            vec3 b = normalize(vBitangent);
            if (!gl_FrontFacing) {
                t = -t;
                b = -b;
            }
            vec3 m = unpackNormal(texture(normalTex, vUv0).rg);
            return safeNormalize(normalize(t) * m.x + b * m.y + geometric * m.z, geometric);
        }
    }
#endif
    return geometric;
}

void main() {
#ifdef DIFFUSE
    vec4 texel = texture(diffuseTex, vUv0);
#else
    vec4 texel = vec4(1.0);
#endif
#ifdef CUTOUT
    if (texel.a < albedo.a) {
        discard;
    }
    float alpha = 1.0;
#else
    float alpha = albedo.a * texel.a;
#endif

    vec3 geometric = safeNormalize(vNormal, vec3(0.0, 1.0, 0.0));
    // Double-sided materials show their back faces lit from the back side.
    if (!gl_FrontFacing) {
        geometric = -geometric;
    }
    vec3 n = shadingNormal(geometric);
#if defined(SIMPLE_LIGHTING) && defined(NO_SKY_REFLECTION)
    // Only the specular lobe and the reflection look at the camera.
    vec3 v = n;
#else
    vec3 v = safeNormalize(camera.position - vWorldPos, n);
#endif

    vec3 baseColor = toLinear(albedo.rgb * texel.rgb);
    float metal = clamp(metallic, 0.0, 1.0);
    float rough = clamp(roughness, 0.05, 1.0);
    Surface s = Surface(vWorldPos, n, v, baseColor * (1.0 - metal), mix(vec3(0.04), baseColor, metal), rough);

#ifdef LIGHTMAP
    vec2 baked = clamp(texture(lightMap, vUv1).rg, 0.0, 1.0);
#else
    vec2 baked = vec2(1.0);
#endif
    float sunVisible = baked.r;
    float skyVisible = baked.g;

    vec3 color = vec3(0.0);
#if NUM_LIGHTS > 0
    for (int i = 0; i < NUM_LIGHTS; ++i) {
        vec3 toLight;
        vec3 radiance;
        lightIncidence(lights[i], vWorldPos, toLight, radiance);
        float visible = shadowVisibility(lights[i], vWorldPos, geometric, toLight);
        // Baked and real-time shadows of the sun overlap where static
        // casters are also in the map: take the darker, never the product.
        if (lights[i].type == LIGHT_DIRECTIONAL) {
            visible = min(visible, sunVisible);
        }
#ifdef SIMPLE_LIGHTING
        color += s.diffuse * radiance * (max(dot(n, toLight), 0.0) * visible);
#else
        color += shadeLight(s, toLight, radiance) * visible;
#endif
    }
#endif

    // Ambient: a little more from above than from below, as under an open sky.
    float hemisphere = 0.75 + 0.25 * n.y;
    color += ambientColor * hemisphere * s.diffuse * skyVisible;

#ifndef NO_SKY_REFLECTION
    // Sky reflection, kept faint on rough surfaces.
#ifdef VERTEX_SKY
    // Blurred this much, the sky changes little across a triangle, while a
    // cube map lookup for every pixel costs a software rasteriser 4-5 % of the
    // high frame; what the shading normal's bumps add to the reflection is lost.
    vec3 sky = vSky;
#else
    vec3 sky = reflectedSky(reflect(-v, n), rough);
#endif
    float nDotV = max(dot(n, v), 0.0);
    vec3 fresnel = s.f0 + (max(vec3(1.0 - rough), s.f0) - s.f0) * pow5(1.0 - nDotV);
    color += sky * fresnel * (1.0 - rough) * (1.0 - rough) * skyVisible;
#endif

    color = mix(color, fogLinear(), sceneFog(vWorldPos));
    fragColor = finalColor(color, alpha);
}
