// Text glyphs (vertex stage): one quad per glyph, placed in window pixels by
// "worldViewProjection".
#version 430 core

uniform mat4 worldViewProjection;

in vec3 position;
in vec2 uv0;

out vec2 vUv;

void main() {
    vUv = uv0;
    gl_Position = worldViewProjection * vec4(position, 1.0);
}
