#version 450
layout(set = 0, binding = 0) uniform Camera { mat4 viewProjection; } camera;
layout(push_constant) uniform Push { mat4 model; } push;
layout(location = 0) in vec3 position;
layout(location = 1) in vec2 uv;
layout(location = 0) out vec2 vUv;
void main()
{
    vUv = uv;
    gl_Position = camera.viewProjection * push.model * vec4(position, 1.0);
}
