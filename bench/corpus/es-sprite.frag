precision mediump float;
uniform sampler2D sprite;
varying vec2 vTexcoord;
void main()
{
    gl_FragColor = texture2D(sprite, vTexcoord);
}
