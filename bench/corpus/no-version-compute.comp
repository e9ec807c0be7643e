layout(local_size_x = 64) in;
layout(std430, binding = 0) buffer Values { float values[]; };
void main()
{
    values[gl_GlobalInvocationID.x] *= 2.0;
}
