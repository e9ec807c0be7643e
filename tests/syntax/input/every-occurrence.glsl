vec4 a = vec4(vec4(1.0).xyz, 1.0); // vec4
float f = max(max(a.x, a.y), max(a.z, a.w));
gl_Color gl_Color gl_Color
