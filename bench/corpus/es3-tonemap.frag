precision highp float;
uniform sampler2D hdr;
uniform float exposure;
in vec2 uv;
out vec4 colour;
void main()
{
    vec3 c = texture(hdr, uv).rgb * exposure;
    colour = vec4(c / (c + vec3(1.0)), 1.0);
}
