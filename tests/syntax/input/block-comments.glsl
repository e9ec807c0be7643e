vec4 a = /* vec4 uniform */ vec4(1.0);
/* one */ float /* two */ x; /**/ gl_Position
/* gl_FragColor // not a line comment */ vec3 v;
// /* a line comment opens no block comment
vec2 t; /* opens
   gl_Position = vec4(0.0); // inside
   still inside */ uniform vec4 c; /* and again
*/ gl_TexCoord[0] = c;
a */ b / * c /*/ still comment */ vec2
float y; /* never closed
vec4 z;
