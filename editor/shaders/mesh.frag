#version 330 core
// A head-light: faces turned towards the eye are bright, faces seen edge-on are dark. The
// face normal comes from the screen-space slopes of the position, so moving a vertex never
// needs normals recomputed.
in vec3 vViewPos;
in vec2 vUv;
uniform sampler2D uTexture;
out vec4 fragColor;
void main()
{
    vec3 n = cross(dFdx(vViewPos), dFdy(vViewPos));
    float len = length(n);
    float light = len > 0.0 ? abs(dot(n / len, normalize(-vViewPos))) : 1.0;
    vec3 c = texture(uTexture, vUv).rgb;
    fragColor = vec4(c * (0.3 + 0.7 * light), 1.0);
}
