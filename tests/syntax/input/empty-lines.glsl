
vec4 a;

  
