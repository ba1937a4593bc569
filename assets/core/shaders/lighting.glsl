// The renderer's light array and the surface response to one light:
// directional, point and spot lights with a Lambert diffuse and a GGX
// specular lobe. Needs common.glsl first. What depends on the light alone
// (its radiance, its unit direction, its shadow texel) comes worked out from
// the renderer, once per view instead of once per pixel.
// ONLY_DIRECTIONAL_LIGHTS (from the renderer, when every light of the view is
// directional): lightIncidence leaves out the point and spot terms.

#define LIGHT_DIRECTIONAL 0
#define LIGHT_POINT 1
#define LIGHT_SPOT 2

struct Light {
    int type;
    vec3 radiance;      // colour times intensity
    vec3 position;
    vec3 direction;     // unit length ((0, 0, -1) for a zero direction)
    float constant;
    float linear;
    float quadratic;
    float innerAngle;   // radians from the cone axis: full strength inside
    float outerAngle;   // radians from the cone axis: no light outside
    int castsShadows;
    float shadowStrength;
    float shadowBias;
    int shadowMapIndex;
    float shadowTexel;  // world size of one texel of its shadow map
};

#if NUM_LIGHTS > 0
uniform Light lights[NUM_LIGHTS];
#endif

struct Surface {
    vec3 position;      // world space
    vec3 normal;        // world space, unit length
    vec3 view;          // unit vector towards the camera
    vec3 diffuse;       // linear diffuse colour
    vec3 f0;            // reflectance at normal incidence
    float roughness;
};

// Unit vector from the surface towards the light, and the light's radiance
// arriving there before shadowing.
void lightIncidence(Light light, vec3 position, out vec3 toLight, out vec3 radiance) {
    radiance = light.radiance;
#ifdef ONLY_DIRECTIONAL_LIGHTS
    // The renderer says every light is directional: a software rasteriser runs
    // both sides of a branch, so the point and spot terms would cost every
    // pixel all the same.
    toLight = -light.direction;
#else
    if (light.type == LIGHT_DIRECTIONAL) {
        toLight = -light.direction;
        return;
    }
    vec3 offset = light.position - position;
    float dist = length(offset);
    toLight = dist > 1e-5 ? offset / dist : vec3(0.0, 1.0, 0.0);
    float attenuation = light.constant + light.linear * dist + light.quadratic * dist * dist;
    radiance /= max(attenuation, 1e-3);
    if (light.type == LIGHT_SPOT) {
        float cosAngle = dot(-toLight, light.direction);
        float cosOuter = cos(light.outerAngle);
        float cosInner = cos(max(light.innerAngle, 0.0));
        // An inner angle at or beyond the outer one gives a hard cone edge.
        float cone = clamp((cosAngle - cosOuter) / max(cosInner - cosOuter, 1e-4), 0.0, 1.0);
        radiance *= cone * cone;
    }
#endif
}

// Reflected radiance for one light. Diffuse is not divided by pi, so a light
// of intensity 1 shows a white surface facing it as white; the specular term
// is scaled to match.
vec3 shadeLight(Surface s, vec3 toLight, vec3 radiance) {
    float nDotL = dot(s.normal, toLight);
    if (nDotL <= 0.0) {
        return vec3(0.0);
    }
    vec3 h = safeNormalize(toLight + s.view, s.normal);
    float nDotV = max(dot(s.normal, s.view), 1e-4);
    float nDotH = max(dot(s.normal, h), 0.0);
    float vDotH = max(dot(s.view, h), 0.0);

    float a = s.roughness * s.roughness;
    float a2 = a * a;
    float denom = nDotH * nDotH * (a2 - 1.0) + 1.0;
    float distribution = a2 / (PI * denom * denom);
    float k = (s.roughness + 1.0) * (s.roughness + 1.0) / 8.0;
    float visibility = 1.0 / ((nDotV * (1.0 - k) + k) * (nDotL * (1.0 - k) + k));
    vec3 fresnel = s.f0 + (1.0 - s.f0) * pow5(1.0 - vDotH);
    vec3 specular = distribution * visibility * fresnel * (PI / 4.0);

    return ((1.0 - fresnel) * s.diffuse + specular) * radiance * nDotL;
}
