#version 120
// Texture times tint; shared by particles and the plain textured objects. Font textures are white
// with the glyph shapes in alpha, so the tint gives text its colour.

uniform sampler2D texture;
uniform vec4 color;

varying vec2 texCoord;

void main()
{
    gl_FragColor = texture2D(texture, texCoord) * color;
}
