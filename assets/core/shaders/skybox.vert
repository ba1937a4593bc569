// Sky cube (vertex stage): the unit cube is turned with the camera but never
// moved, and pushed onto the far plane, so with depth test LessEqual it fills
// only what nothing nearer covered.
#version 430 core
#include "core/shaders/common.glsl"

in vec3 position;

out vec3 vDirection;

void main() {
    vDirection = position;
    vec4 clip = camera.projection * vec4(mat3(camera.view) * position, 1.0);
    // z a hair under w: depth lands just below 1.0, so rounding in the
    // clipper cannot push sky fragments past the far plane.
    gl_Position = vec4(clip.xy, clip.w * 0.999999, clip.w);
}
