//
///
// vec4 uniform gl_Position
gl_FragColor = vec4(1.0); // gl_FragColor vec4
gl_FragColor// directly after a state variable
a = b / c; / / not a comment
float x = 1.0; // first // second
    // indented
http://example.org vec4
