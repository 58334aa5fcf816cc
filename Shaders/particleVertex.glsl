#version 120
// Flat particles and billboards: one combined view-projection, no lighting.

attribute vec4 position;
attribute vec2 vertexTexCoord;

uniform mat4 viewProjection;
uniform mat4 world;

varying vec2 texCoord;

void main()
{
    texCoord = vertexTexCoord;
    gl_Position = viewProjection * (world * position);
}
