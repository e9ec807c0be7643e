layout(points) in;
layout(triangle_strip, max_vertices = 4) out;
uniform float size;
void main()
{
    vec4 c = gl_in[0].gl_Position;
    gl_Position = c + vec4(-size, -size, 0.0, 0.0); EmitVertex();
    gl_Position = c + vec4( size, -size, 0.0, 0.0); EmitVertex();
    gl_Position = c + vec4(-size,  size, 0.0, 0.0); EmitVertex();
    gl_Position = c + vec4( size,  size, 0.0, 0.0); EmitVertex();
    EndPrimitive();
}
