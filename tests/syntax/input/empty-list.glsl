uniform vec4 colour;
const float k = 2.0;
gl_Position = vec4(0.0);
