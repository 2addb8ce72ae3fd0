#version 330 core
// Textured polygons: positions in world units, texture coordinates with v down from the top
// row, and the face's normal. A head-light: faces turned to the eye are bright, faces seen
// edge-on dark; worked out per corner, which is plenty for flat faces.
layout(location = 0) in vec3 aPos;
layout(location = 1) in vec2 aUv;
layout(location = 2) in vec3 aNormal;
uniform mat4 uView;
uniform mat4 uProj;
uniform bool uFlipV;
out vec2 vUv;
out float vLight;
void main()
{
    vec4 p = uView * vec4(aPos, 1.0);
    vec3 n = mat3(uView) * aNormal;
    float len = length(n);
    vLight = len > 0.0 ? abs(dot(n / len, normalize(-p.xyz))) : 1.0;
    vUv = vec2(aUv.x, uFlipV ? 1.0 - aUv.y : aUv.y);
    gl_Position = uProj * p;
}
