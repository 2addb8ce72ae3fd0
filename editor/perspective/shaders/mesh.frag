#version 330 core
in vec2 vUv;
in float vLight;
uniform sampler2D uTexture;
out vec4 fragColor;
void main()
{
    fragColor = vec4(texture(uTexture, vUv).rgb * (0.3 + 0.7 * vLight), 1.0);
}
