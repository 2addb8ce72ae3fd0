#version 330 core
// Textured polygons: positions in world units, texture coordinates with v down from the top row.
layout(location = 0) in vec3 aPos;
layout(location = 1) in vec2 aUv;
uniform mat4 uView;
uniform mat4 uProj;
uniform bool uFlipV;
out vec3 vViewPos;
out vec2 vUv;
void main()
{
    vec4 p = uView * vec4(aPos, 1.0);
    vViewPos = p.xyz;
    vUv = vec2(aUv.x, uFlipV ? 1.0 - aUv.y : aUv.y);
    gl_Position = uProj * p;
}
