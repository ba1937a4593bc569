// The sky as the default shader's surfaces reflect it: the sky cube blurred
// with roughness through its mip chain. Needs common.glsl.

// Bound to unit 11 by the renderer only once a sky exists; the binding
// default keeps it off the material units until then (an empty unit reads
// black).
layout(binding = 11) uniform samplerCube skybox;
// The sky's last mip level (its level count less one; 0 without a sky).
uniform float skyMaxLod;

// Linear colour of the sky seen along direction from a surface of the given
// roughness (0.05 to 1). Whole levels only: between two, a lookup reads both,
// twice the texels for half a level's blur.
vec3 reflectedSky(vec3 direction, float rough) {
    return toLinear(textureLod(skybox, direction, floor(rough * skyMaxLod + 0.5)).rgb);
}
