// Text (vertex stage): a text's glyph quads, already in window pixels, placed
// by "worldViewProjection"; "rim" is 1 on the quads of the outline.
#version 430 core

uniform mat4 worldViewProjection;

in vec3 position;
in vec2 uv0;
in float rim;

out vec2 vUv;
out float vRim;

void main() {
    vUv = uv0;
    vRim = rim;
    gl_Position = worldViewProjection * vec4(position, 1.0);
}
