#version 120
// Surfaces drawn with patterns: world position and normal for the light, the glow and the patterns,
// the texture coordinates, and the distance from the eye for the fade into the dark.

attribute vec4 position;
attribute vec3 normal;
attribute vec2 vertexTexCoord;

uniform mat4 world;
uniform mat4 worldInverseTranspose;
uniform mat4 view;
uniform mat4 projection;

varying vec3 worldPosition;
varying vec3 worldNormal;
varying vec2 texCoord;
varying float viewDepth;

void main()
{
    vec4 placed = world * position;
    worldPosition = placed.xyz;
    worldNormal = mat3(worldInverseTranspose) * normal;
    texCoord = vertexTexCoord;
    vec4 seen = view * placed;
    viewDepth = -seen.z;
    gl_Position = projection * seen;
}
