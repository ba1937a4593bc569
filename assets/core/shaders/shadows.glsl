// Directional-light shadow maps: the renderer binds map i to unit 13 + i with
// its light-space matrix as lightViewProjection[i] and its size in texels as
// shadowGrid[i]. A map is stored in part only: up to SHADOW_WINDOWS windows
// per map keep the texels near its casters. Window w of map i comes as
// shadowWindows[i * 2 + w] (the map coordinates it answers for: min x, min y,
// max x, max y) and shadowWindowShifts[i * 2 + w] (from a texel of the map to
// where the stored texture keeps it). Lookups outside every window are lit.
// The maps are plain depth textures with nearest filtering (no hardware
// comparison), so the soft edge is built here from gathered texels. Needs
// common.glsl and lighting.glsl.
// FAST_SHADOWS (the middle preset): one gather, a 2 x 2 bilinear ramp.

#ifdef HAS_SHADOW_MAPS
// ShadowCaster::maxWindows: each window is a test per pixel.
#define SHADOW_WINDOWS 2
uniform mat4 lightViewProjection[NUM_SHADOWMAPS];
uniform float shadowGrid[NUM_SHADOWMAPS];
uniform vec4 shadowWindows[NUM_SHADOWMAPS * SHADOW_WINDOWS];
uniform vec2 shadowWindowShifts[NUM_SHADOWMAPS * SHADOW_WINDOWS];
layout(binding = 13) uniform sampler2D shadowMaps[NUM_SHADOWMAPS];

// The maps are picked with constant indices only: llvmpipe (Mesa 22.3) crashes
// while compiling a draw that indexes the sampler array with the light's
// uniform index once there are two or more maps. This loop is unrolled; it must
// not hold a loop that cannot be, or its index stops being a constant.
vec4 gatherShadowMap(int index, vec2 at) {
    vec4 depths = vec4(1.0);
    for (int k = 0; k < NUM_SHADOWMAPS; ++k) {
        if (k == index) {
            depths = textureGather(shadowMaps[k], at);
        }
    }
    return depths;
}

// Fraction of a 3 x 3 texel box around the point that is lit, with the box
// sliding smoothly across texels (4 gathers = 16 depth comparisons), so the
// shadow edge is a soft ramp instead of stair steps. onMap: the lookup in map
// texels; the weights come from it and only whole texels are shifted, so the
// result is the one a whole stored map would give. Only pixels that receive
// (their lookup falls in a window) are worth the gathers; what the others get
// back is not used.
float filteredShadow(int index, vec2 onMap, vec2 shift, float depth, bool receives) {
    // Every map is stored at one size.
    vec2 size = vec2(textureSize(shadowMaps[0], 0));
#ifdef FAST_SHADOWS
    vec2 texelPos = onMap - 0.5;
    vec2 frac = fract(texelPos);
    vec4 d4 = gatherShadowMap(index, (floor(texelPos) + 1.0 + shift) / size);
    vec4 pass4 = vec4(greaterThanEqual(d4, vec4(depth)));
    // Gather order: (i0, j1), (i1, j1), (i1, j0), (i0, j0).
    return mix(mix(pass4.w, pass4.z, frac.x), mix(pass4.x, pass4.y, frac.x), frac.y);
#endif
    vec2 texel = onMap - 0.5;
    vec2 cell = floor(texel);
    vec2 f = texel - cell;
    // 1D weights of the texels cell-1 .. cell+2.
    vec4 wx = vec4(1.0 - f.x, 1.0, 1.0, f.x);
    vec4 wy = vec4(1.0 - f.y, 1.0, 1.0, f.y);
    float lit = 0.0;
    // A loop whose count each pixel sets is the one branch llvmpipe really
    // takes (both sides of an if are worked out for every pixel): it runs until
    // every pixel of its block is done. A block with no pixel in a window so
    // reads one gather instead of four, 2-5 % of the high frame; a constant
    // count would be unrolled and lose that.
    int gathers = receives ? 4 : 0;
    for (int g = 0; g < gathers; ++g) {
        int i = g & 1;
        int j = g >> 1;
        // A gather between two texel centres returns the 2 x 2 block
        // (i0, j1), (i1, j1), (i1, j0), (i0, j0).
        vec2 at = (cell + shift + vec2(2 * i, 2 * j)) / size;
        vec4 d = gatherShadowMap(index, at);
        vec4 pass = vec4(greaterThanEqual(d, vec4(depth)));
        vec2 x = i == 0 ? wx.xy : wx.zw;
        vec2 y = j == 0 ? wy.xy : wy.zw;
        lit += pass.w * x.x * y.x + pass.z * x.y * y.x
             + pass.x * x.x * y.y + pass.y * x.y * y.y;
    }
    return lit / 9.0;
}

// 1 = fully lit, 0 = fully shadowed by this light's map (before its strength).
float shadowVisibility(Light light, vec3 worldPos, vec3 normal, vec3 toLight) {
    int index = light.shadowMapIndex;
    if (light.type != LIGHT_DIRECTIONAL || light.castsShadows == 0 || index < 0 || index >= NUM_SHADOWMAPS) {
        return 1.0;
    }
    // Picked with constant indices, as the maps are: indexed by a uniform, each
    // pixel would load the matrix on its own on a software rasteriser.
    mat4 lightMatrix = lightViewProjection[0];
    float grid = shadowGrid[0];
    for (int k = 1; k < NUM_SHADOWMAPS; ++k) {
        if (k == index) {
            lightMatrix = lightViewProjection[k];
            grid = shadowGrid[k];
        }
    }
    float texelWorld = light.shadowTexel;
    float nDotL = clamp(dot(normal, toLight), 0.0, 1.0);
    // Pushing the lookup off the surface along its normal, more at grazing
    // light, keeps surfaces from shadowing themselves (acne) without the large
    // depth bias that would detach shadows from their casters.
    vec3 offsetPos = worldPos + normal * texelWorld * (1.0 + 2.0 * (1.0 - nDotL));
    vec4 clip = lightMatrix * vec4(offsetPos, 1.0);
    vec3 coord = clip.xyz / clip.w * 0.5 + 0.5;
    bool stored = false;
    vec2 shift = vec2(0.0);
    for (int k = 0; k < NUM_SHADOWMAPS; ++k) {
        for (int w = 0; w < SHADOW_WINDOWS; ++w) {
            vec4 area = shadowWindows[k * SHADOW_WINDOWS + w];
            // One map needs no test of which (the usual case: one sun).
            bool mine = NUM_SHADOWMAPS == 1 || k == index;
            if (mine && all(greaterThanEqual(coord.xy, area.xy)) && all(lessThanEqual(coord.xy, area.zw))) {
                stored = true;
                shift = shadowWindowShifts[k * SHADOW_WINDOWS + w];
            }
        }
    }
    // Beyond the box's far end nothing casts.
    bool receives = stored && coord.z < 1.0;
    // The depth bias grows with the slope (tangent of the light angle), capped
    // so that grazing light does not lift shadows off their casters.
    float slope = sqrt(max(1.0 - nDotL * nDotL, 0.0)) / max(nDotL, 1e-3);
    float bias = light.shadowBias * (1.0 + min(slope, 2.0));
    float lit = filteredShadow(index, coord.xy * grid, shift, coord.z - bias, receives);
    // Fade out towards the map's border so a shadow leaving the fitted region
    // thins away instead of being cut off.
    vec2 edge = min(coord.xy, 1.0 - coord.xy);
    float inside = smoothstep(0.0, 0.04, min(edge.x, edge.y));
    return receives ? mix(1.0, lit, inside * clamp(light.shadowStrength, 0.0, 1.0)) : 1.0;
}
#else
float shadowVisibility(Light light, vec3 worldPos, vec3 normal, vec3 toLight) {
    return 1.0;
}
#endif
