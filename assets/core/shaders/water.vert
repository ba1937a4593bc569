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

void main() {
    vec4 world = object.world * vec4(position, 1.0);
    world.y += waveHeight(world.xz, frame.totalTime);
    vWorldPos = world.xyz;
    vUv = uv0;
    gl_Position = camera.viewProjection * world;
}
