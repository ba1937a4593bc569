// Text glyphs (fragment stage): the glyph texture holds coverage in its red
// channel; the glyph takes the element's "color" with coverage as alpha.
//
// A non-zero "rim" draws an outlined glyph's rim instead: the quad reaches
// rim.xy past the glyph on each side, and the glyph shifted by rim.zw in eight
// directions is laid over itself in "color", as eight blended copies would be.
#version 430 core

in vec2 vUv;

uniform sampler2D tex;
uniform vec4 color;
uniform float brightness;
uniform vec4 rim;

out vec4 fragColor;

float coverageAt(vec2 uv) {
    // Outside the glyph's own square there is nothing, whatever the edge texels hold.
    vec2 inside = step(vec2(0.0), uv) * step(uv, vec2(1.0));
    return texture(tex, uv).r * inside.x * inside.y;
}

void main() {
    if (rim.z == 0.0) {
        fragColor = vec4(color.rgb * brightness, color.a * texture(tex, vUv).r);
        return;
    }
    vec2 uv = (vUv - 0.5) * (1.0 + 2.0 * rim.xy) + 0.5;
    const vec2 directions[8] = vec2[](vec2(1.0, 1.0), vec2(1.0, -1.0), vec2(-1.0, 1.0), vec2(-1.0, -1.0),
                                      vec2(1.4, 0.0), vec2(-1.4, 0.0), vec2(0.0, 1.4), vec2(0.0, -1.4));
    float through = 1.0;
    for (int i = 0; i < 8; ++i) {
        through *= 1.0 - color.a * coverageAt(uv - directions[i] * rim.zw);
    }
    fragColor = vec4(color.rgb * brightness, 1.0 - through);
}
