in vec3 normal;
in vec3 toLight;
out vec4 colour;
uniform vec3 diffuse;
void main()
{
    float lambert = max(dot(normalize(normal), normalize(toLight)), 0.0);
    colour = vec4(diffuse * lambert, 1.0);
}
