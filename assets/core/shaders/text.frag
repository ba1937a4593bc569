// Text glyphs (fragment stage): the glyph texture holds coverage in its red
// channel; the glyph takes the element's "color" with coverage as alpha.
#version 430 core

in vec2 vUv;

uniform sampler2D tex;
uniform vec4 color;
uniform float brightness;

out vec4 fragColor;

void main() {
    float coverage = texture(tex, vUv).r;
    fragColor = vec4(color.rgb * brightness, color.a * coverage);
}
