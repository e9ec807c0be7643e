float größe = 1.0; // Größe
vec4ä äfloat vec4 ÄVEC4
