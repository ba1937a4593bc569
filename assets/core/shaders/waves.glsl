// The water's summed sine waves ("waves", up to 7), shared by both water
// stages: the vertex stage lifts the surface, the fragment stage takes the
// exact slope per pixel so the waves shade smoothly on a coarse mesh.
//
// Each wave: height amplitude * sin(frequency * distance along dir +
// phase * time). "dir" is written like the imported scene, in the modelling
// tool's Z-up frame, so its x and y span the water plane; the import's axis
// turn maps them to world x and -z. Waves with amplitude 0 or no direction
// are skipped. WAVE_COUNT (the material's define) is how many of the slots
// the material fills: a software rasteriser works through every slot the
// loops name, empty or not.

#define MAX_WAVES 7
#if !defined(WAVE_COUNT) || WAVE_COUNT > MAX_WAVES
#undef WAVE_COUNT
#define WAVE_COUNT MAX_WAVES
#endif

struct Wave {
    float amplitude;
    float frequency;
    float phase;
    vec3 dir;
};
uniform Wave waves[MAX_WAVES];

// Unit direction of wave i across world (x, z), or zero for a wave to skip.
vec2 waveDirection(int i) {
    vec2 d = vec2(waves[i].dir.x, -waves[i].dir.y);
    float len = length(d);
    return (len > 1e-4 && waves[i].amplitude != 0.0) ? d / len : vec2(0.0);
}

float waveHeight(vec2 xz, float time) {
    float height = 0.0;
    for (int i = 0; i < WAVE_COUNT; ++i) {
        vec2 d = waveDirection(i);
        if (d != vec2(0.0)) {
            height += waves[i].amplitude * sin(waves[i].frequency * dot(d, xz) + waves[i].phase * time);
        }
    }
    return height;
}

// Unit normal of the summed height field at (x, z), for a pixel that covers
// footprint metres of water. Waves shorter than a few pixels would alias into
// speckles far away and at grazing angles, so each one flattens out as its
// wavelength shrinks towards two pixels; the ripple map's mipmaps do the same.
vec3 waveNormal(vec2 xz, float time, float footprint) {
    vec2 slope = vec2(0.0);
    for (int i = 0; i < WAVE_COUNT; ++i) {
        vec2 d = waveDirection(i);
        if (d != vec2(0.0)) {
            float k = waves[i].frequency;
            float wavelength = 6.2831853 / max(k, 1e-4);
            float resolved = 1.0 - smoothstep(0.125, 0.5, footprint / wavelength);
            slope += resolved * waves[i].amplitude * k * cos(k * dot(d, xz) + waves[i].phase * time) * d;
        }
    }
    return normalize(vec3(-slope.x, 1.0, -slope.y));
}

vec3 waveNormal(vec2 xz, float time) {
    return waveNormal(xz, time, 0.0);
}
