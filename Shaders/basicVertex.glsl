#version 120
// Plain textured objects (loading screen, menus): the vertex placed by world, view and projection,
// the texture coordinates handed on to the fragment stage.

attribute vec4 position;
attribute vec2 vertexTexCoord;

uniform mat4 world;
uniform mat4 view;
uniform mat4 projection;

varying vec2 texCoord;

void main()
{
    texCoord = vertexTexCoord;
    gl_Position = projection * (view * (world * position));
}
