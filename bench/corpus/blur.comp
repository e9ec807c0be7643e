#version 450
layout(local_size_x = 16, local_size_y = 16) in;
layout(binding = 0, rgba8) uniform readonly image2D source;
layout(binding = 1, rgba8) uniform writeonly image2D target;
void main()
{
    ivec2 p = ivec2(gl_GlobalInvocationID.xy);
    vec4 sum = vec4(0.0);
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx)
            sum += imageLoad(source, p + ivec2(dx, dy));
    imageStore(target, p, sum / 9.0);
}
