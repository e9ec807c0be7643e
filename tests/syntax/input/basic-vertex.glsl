// A plain vertex shader: lighting in eye space.
uniform vec3 lightDir;
varying vec4 colour;
attribute float weight;

void main()
{
    vec3 normal = normalize(gl_NormalMatrix * gl_Normal);
    float diffuse = max(dot(normal, lightDir), 0.0);
    colour = gl_Color * diffuse * weight;
    gl_TexCoord[0] = gl_MultiTexCoord0;
    gl_Position = gl_ModelViewProjectionMatrix * gl_Vertex;
}
