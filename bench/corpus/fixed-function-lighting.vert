varying vec3 normal;
varying vec3 toLight;
void main()
{
    normal = gl_NormalMatrix * gl_Normal;
    vec4 eye = gl_ModelViewMatrix * gl_Vertex;
    toLight = gl_LightSource[0].position.xyz - eye.xyz;
    gl_Position = ftransform();
}
