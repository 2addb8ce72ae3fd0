#version 330 core
uniform vec4 uColor;
uniform bool uRing;
out vec4 fragColor;
void main()
{
    if (uRing) {
        float d = length(gl_PointCoord - vec2(0.5)) * 2.0;
        if (d > 1.0 || d < 0.6)
            discard;
    }
    fragColor = uColor;
}
