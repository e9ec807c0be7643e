vec3 a = vec3(1.0);
gl_Position = ftransform();
const vec4 v = vec4(vec3(0.0), 1.0);
