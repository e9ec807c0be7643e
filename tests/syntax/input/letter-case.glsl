VEC4 a = Vec4(1.0);
Uniform FLOAT b;
x = NORMALIZE(y) + Texture2D(s, t);
GL_POSITION = gl_position;
vec4x myvec4 vec4_ _vec4 vec42 float2 gl_Positions normalized
