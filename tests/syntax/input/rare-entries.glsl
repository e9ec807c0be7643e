highp float a;
float b = highp;
highp	float c;
xhighp float d;
gl_TexCoord[0] = gl_TexCoord[0].st;
gl_TexCoord[1] = mygl_TexCoord[0];
highp vec3 e; // highp vec3 f;
