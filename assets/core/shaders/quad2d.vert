// Textured quad for full-screen and debug drawing (vertex stage). With an
// identity "object.worldViewProjection" the "fullScreenQuad" mesh fills the
// viewport.
#version 430 core

struct ObjectData {
    mat4 worldViewProjection;
};
uniform ObjectData object;

in vec3 position;
in vec2 uv0;

out vec2 vUv;

void main() {
    vUv = uv0;
    gl_Position = object.worldViewProjection * vec4(position, 1.0);
}
