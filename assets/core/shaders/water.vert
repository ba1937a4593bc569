// Water surface (vertex stage): the mesh is placed in the world and lifted by
// the summed waves. The surface is a horizontal plane at the mesh's height;
// its detail comes from the mesh's vertex spacing (a few metres near the shore
// shows the waves' shape, the shading does not depend on it).
#version 430 core
#include "core/shaders/common.glsl"
#include "core/shaders/waves.glsl"

in vec3 position;
in vec2 uv0;

out vec3 vWorldPos;
out vec2 vUv;
#ifdef VERTEX_WAVES
out vec3 vWaveNormal;
#endif

void main() {
    vec4 world = object.world * vec4(position, 1.0);
    world.y += waveHeight(world.xz, frame.totalTime);
    vWorldPos = world.xyz;
    vUv = uv0;
    gl_Position = camera.viewProjection * world;
#ifdef VERTEX_WAVES
    // The cheapest preset sums the waves' slopes per vertex, not per pixel: the
    // water is far from the camera and smooth where it is near. A pixel's
    // footprint on the water (from its distance, stretched at grazing angles)
    // stands in for the fragment stage's derivatives.
    vec3 toCamera = camera.position - world.xyz;
    float distance = length(toCamera);
    float grazing = max(abs(toCamera.y) / max(distance, 1e-5), 0.05);
    float pixel = 2.0 / max(camera.projection[1][1] * viewport.height, 1e-5);
    vWaveNormal = waveNormal(world.xz, frame.totalTime, distance * pixel / grazing);
#endif
}
