#version 120
// Lit, textured surfaces with the hero ball's glow and up to eight procedural patterns.
// Slot k takes floats 17k to 17k + 16 of "patternParams": centre x, y, z, the inner and outer
// cut-off distances, the colour r, g, b, a and the eight parameters ("scale" first); "patternIDk"
// names its kind (1 to 8), and a slot whose kind is 0 ends the list. A pattern adds its colour as
// light where it is drawn, and its alpha makes a see-through surface more opaque there.

uniform sampler2D texture;
uniform vec4 colorDiffuse;
uniform vec4 colorSpecular;
uniform float shininess;

uniform vec4 cameraPos;
uniform vec4 lightPos;
uniform vec4 lightAmbient;
uniform vec4 lightDiffuse;
uniform vec4 lightSpecular;
uniform float zFar;

uniform int haveBall;
uniform vec4 ballPos;
uniform float ballRadiusSquared;
uniform vec4 ballGlow;
uniform float glowRadius;

uniform int patternID0;
uniform int patternID1;
uniform int patternID2;
uniform int patternID3;
uniform int patternID4;
uniform int patternID5;
uniform int patternID6;
uniform int patternID7;
uniform float patternParams[136];

varying vec3 worldPosition;
varying vec3 worldNormal;
varying vec2 texCoord;
varying float viewDepth;

const float pi = 3.14159265;

// The part of a wave above `thinness`, stretched to 0..1 and hardened by `sharpness`.
float band(float wave, float thinness, float sharpness)
{
    float r = (wave - thinness) / max(1.0 - thinness, 0.0001);
    return clamp(r * sharpness, 0.0, 1.0);
}

// How strongly the pattern of kind `id` in the slot starting at `base` covers this point, 0 to 1.
// rel is the point relative to the pattern's centre, d its distance, and (u, v) the point's
// coordinates in the plane of the surface, so that the flat kinds look alike on floors and walls.
float coverage(int id, int base, vec3 rel, float d, vec2 uv)
{
    float s = patternParams[base + 9];
    float p1 = patternParams[base + 10];
    float p2 = patternParams[base + 11];
    float p3 = patternParams[base + 12];
    float p4 = patternParams[base + 13];

    if (id == 1) {
        // Alternating shells around the centre; sharpness hardens the change between them.
        return clamp(0.5 + 2.0 * sin(d * s) * p1, 0.0, 1.0);
    }
    if (id == 2) {
        // Rows that wave across the surface: scaleX sets the rows, scaleY how far they sway.
        float w = sin(s * (uv.x * p1 + p2 * 0.5 * sin(uv.y * s * 0.5)));
        return band(w, p3, p4);
    }
    if (id == 3) {
        // Blobs on a warped lattice; the second scale sets how slowly the lattice warps.
        float warp = 2.0 / max(abs(p1), 0.0001);
        float w = sin(rel.x * s + sin(rel.y * warp)) + sin(rel.y * s + sin(rel.z * warp)) +
                  sin(rel.z * s + sin(rel.x * warp));
        return band(w * 0.5, p2, p3);
    }
    if (id == 4) {
        // Rings that wind: their phase turns with the angle around the centre.
        float angle = atan(uv.y, uv.x);
        float w = sin(d * s + sin(angle * 3.0 + d * 0.2) * p1 * 0.1);
        return band(w, p2, p3);
    }
    if (id == 5) {
        // Rings around the centre.
        return band(sin(d * s), p1, p2);
    }
    if (id == 6) {
        // Rings around the world's origin, wherever the pattern stands.
        return band(sin(length(worldPosition) * s), p1, p2);
    }
    if (id == 7) {
        // A band that slithers across the surface: its width, the thinness of its core, and the
        // frequency and amplitude of its sway.
        float sway = p4 * p1 * 4.0 * sin(uv.x * p3 * s);
        float across = clamp((uv.y - sway) / max(p1, 0.0001), -1.0, 1.0);
        return band(cos(across * pi * 0.5), p2, 1.0);
    }
    if (id == 8) {
        // The object's own texture laid over the surface.
        vec3 picture = texture2D(texture, uv * s * 0.1).rgb;
        return dot(picture, vec3(0.299, 0.587, 0.114));
    }
    return 0.0;
}

void applyPattern(int id, int base, vec3 n, inout vec3 light, inout float alpha)
{
    vec3 centre = vec3(patternParams[base], patternParams[base + 1], patternParams[base + 2]);
    float cutOffStart = patternParams[base + 3];
    float cutOffEnd = patternParams[base + 4];
    vec4 color = vec4(patternParams[base + 5], patternParams[base + 6], patternParams[base + 7],
                      patternParams[base + 8]);
    vec3 rel = worldPosition - centre;
    float d = length(rel);

    // Own patterns come with endless cut-offs; a dispenser's fade out between its two distances.
    float reach = 1.0;
    if (cutOffEnd < 1.0e30) {
        reach = d <= cutOffStart ? 1.0 : 1.0 - smoothstep(cutOffStart, max(cutOffEnd, cutOffStart + 0.0001), d);
    }
    // Two directions in the plane of the surface (any two will do, as long as they turn smoothly).
    vec3 up = abs(n.y) < 0.9 ? vec3(0.0, 1.0, 0.0) : vec3(1.0, 0.0, 0.0);
    vec3 across = normalize(cross(up, n));
    vec2 uv = vec2(dot(rel, across), dot(rel, cross(n, across)));
    float amount = coverage(id, base, rel, d, uv) * reach;
    light += color.rgb * amount;
    alpha += color.a * amount;
}

void applyPatterns(vec3 n, inout vec3 light, inout float alpha)
{
    if (patternID0 == 0) return;
    applyPattern(patternID0, 0, n, light, alpha);
    if (patternID1 == 0) return;
    applyPattern(patternID1, 17, n, light, alpha);
    if (patternID2 == 0) return;
    applyPattern(patternID2, 34, n, light, alpha);
    if (patternID3 == 0) return;
    applyPattern(patternID3, 51, n, light, alpha);
    if (patternID4 == 0) return;
    applyPattern(patternID4, 68, n, light, alpha);
    if (patternID5 == 0) return;
    applyPattern(patternID5, 85, n, light, alpha);
    if (patternID6 == 0) return;
    applyPattern(patternID6, 102, n, light, alpha);
    if (patternID7 == 0) return;
    applyPattern(patternID7, 119, n, light, alpha);
}

void main()
{
    vec3 n = normalize(worldNormal);
    vec3 toLight = normalize(lightPos.xyz - worldPosition);
    vec3 toEye = normalize(cameraPos.xyz - worldPosition);
    vec3 halfway = normalize(toLight + toEye);

    vec4 surface = texture2D(texture, texCoord) * colorDiffuse;
    float diffuse = max(dot(n, toLight), 0.0);
    float specular = diffuse > 0.0 ? pow(max(dot(n, halfway), 0.0), max(shininess, 1.0)) : 0.0;

    vec3 light = surface.rgb * (lightAmbient.rgb + lightDiffuse.rgb * diffuse);
    light += colorSpecular.rgb * lightSpecular.rgb * specular;
    float alpha = surface.a + colorSpecular.a * specular;

    // The ball lights what lies just around it, on the sides that face it (never itself).
    if (haveBall != 0) {
        vec3 toBall = ballPos.xyz - worldPosition;
        float gap = length(toBall) - sqrt(max(ballRadiusSquared, 0.0));
        float near = clamp(1.0 - gap / max(glowRadius, 0.0001), 0.0, 1.0);
        float facing = max(dot(n, normalize(toBall)), 0.0);
        light += ballGlow.rgb * near * near * facing;
        alpha += ballGlow.a * near * facing;
    }

    applyPatterns(n, light, alpha);

    // Far surfaces sink into the dark before the far plane cuts them off.
    float depth = clamp(viewDepth / max(zFar, 0.0001), 0.0, 1.0);
    light *= 1.0 - depth * depth;

    gl_FragColor = vec4(light, alpha);
}
