// Text (fragment stage): the font's atlas holds a glyph's coverage in red and
// its outline's in green. A glyph quad takes "color" with the glyph's coverage
// as alpha, an outline quad "rimColor" with the outline's.
#version 430 core

in vec2 vUv;
in float vRim;

uniform sampler2D tex;
uniform vec4 color;
uniform vec4 rimColor;
uniform float brightness;

out vec4 fragColor;

void main() {
    vec2 coverage = texture(tex, vUv).rg;
    vec4 tint = mix(color, rimColor, vRim);
    fragColor = vec4(tint.rgb * brightness, tint.a * mix(coverage.r, coverage.g, vRim));
}
