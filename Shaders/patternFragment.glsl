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

// A variant made for one list of kinds defines FIXED_PATTERN_KINDS and the eight kinds as constants
// before this text, so that the compiler drops the work of every kind the draw does not show.
#ifndef FIXED_PATTERN_KINDS
uniform int patternID0;
uniform int patternID1;
uniform int patternID2;
uniform int patternID3;
uniform int patternID4;
uniform int patternID5;
uniform int patternID6;
uniform int patternID7;
#endif
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

// A software renderer runs every branch of a shader for the whole block of fragments and only
// saves work where a loop stops early. So the kinds share one body, picked by selections on the
// kind, and the loops over the filled slots and over the blob kind's three waves end at their counts.
// Every kind is a wave of the form sin(outer), with outer built on a second wave sin(inner).

// How strongly the pattern of kind `id` in the slot starting at `base` covers this point, 0 to 1.
// rel is the point relative to the pattern's centre, d its distance, and (u, v) the point's
// coordinates in the plane of the surface, so that the flat kinds look alike on floors and walls.
float coverage(int id, int base, vec3 rel, float d, vec2 uv, float picture)
{
    float s = patternParams[base + 9];
    float p1 = patternParams[base + 10];
    float p2 = patternParams[base + 11];
    float p3 = patternParams[base + 12];
    float p4 = patternParams[base + 13];

    // Kind 1, alternating shells, and kind 5, rings, around the centre: sin(d * s).
    // Kind 2, rows that wave across the surface: scaleX sets the rows, scaleY how far they sway.
    // Kind 3, blobs on a warped lattice: three waves sin(a * s + sin(b * warp)) over the axes of rel
    //         in turn; the second scale sets how slowly the lattice warps.
    // Kind 4, rings that wind: their phase turns with the angle around the centre.
    // Kind 6, rings around the world's origin, wherever the pattern stands.
    // Kind 7, a band that slithers across the surface: its width, the thinness of its core, and the
    //         frequency and amplitude of its sway; cos(x) is taken as sin(x + pi / 2).
    float warp = 2.0 / max(abs(p1), 0.0001);
    float angle = atan(uv.y, uv.x);
    float worldDistance = length(worldPosition);
    int waves = id == 3 ? 3 : 1;
    vec3 r = rel;
    float wave = 0.0;
    for (int t = 0; t < waves; ++t) {
        float innerArg = id == 3 ? r.y * warp : id == 2 ? uv.y * s * 0.5 : id == 4 ? angle * 3.0 + d * 0.2
                                                                                  : uv.x * p3 * s;
        float inner = sin(innerArg);
        float across = clamp((uv.y - p4 * p1 * 4.0 * inner) / max(p1, 0.0001), -1.0, 1.0);
        float outerArg = id == 3 ? r.x * s + inner
                       : id == 2 ? s * (uv.x * p1 + p2 * 0.5 * inner)
                       : id == 4 ? d * s + inner * p1 * 0.1
                       : id == 6 ? worldDistance * s
                       : id == 7 ? across * pi * 0.5 + pi * 0.5
                       : d * s;
        wave += sin(outerArg);
        r = r.yzx;
    }

    // The part of the wave that shows: above a thinness, hardened by a sharpness.
    float w = id == 3 ? wave * 0.5 : wave;
    float thinness = id == 3 || id == 7 ? p2 : id == 2 || id == 4 ? p3 : p1;
    float sharpness = id == 3 ? p3 : id == 2 || id == 4 ? p4 : id == 7 ? 1.0 : p2;
    float banded = band(w, thinness, sharpness);

    // Kind 8, the object's own texture laid over the surface, is read by the caller.
    // Kind 1's sharpness hardens the change between its shells.
    float shells = clamp(0.5 + 2.0 * wave * p1, 0.0, 1.0);
    return id == 1 ? shells : id == 8 ? picture : id >= 2 && id <= 7 ? banded : 0.0;
}

// Every slot reads the texture once (a picture slot at its own place, any other at the surface's
// texture coordinates), and one of those reads also serves as the surface's colour: the first,
// unless some slot shows a picture, in which case one more turn past the filled slots reads it.
// So objects without picture patterns read the texture once, however many slots they fill.
// `across` and `along` are two directions in the plane of the surface (any two will do, as long as
// they turn smoothly).
void surfaceAndPatterns(vec3 n, out vec4 surface, out vec3 light, out float alpha)
{
    // The filled slots come first: the first empty one ends the list.
    int used = patternID0 == 0 ? 0 : patternID1 == 0 ? 1 : patternID2 == 0 ? 2 : patternID3 == 0 ? 3 :
               patternID4 == 0 ? 4 : patternID5 == 0 ? 5 : patternID6 == 0 ? 6 : patternID7 == 0 ? 7 : 8;
    bool pictures = (used > 0 && patternID0 == 8) || (used > 1 && patternID1 == 8) ||
                    (used > 2 && patternID2 == 8) || (used > 3 && patternID3 == 8) ||
                    (used > 4 && patternID4 == 8) || (used > 5 && patternID5 == 8) ||
                    (used > 6 && patternID6 == 8) || (used > 7 && patternID7 == 8);
    int surfaceTurn = pictures ? used : 0;
    int turns = pictures ? used + 1 : max(used, 1);

    vec3 up = abs(n.y) < 0.9 ? vec3(0.0, 1.0, 0.0) : vec3(1.0, 0.0, 0.0);
    vec3 across = normalize(cross(up, n));
    vec3 along = cross(n, across);
    surface = vec4(0.0);
    light = vec3(0.0);
    alpha = 0.0;
    for (int k = 0; k < turns; ++k) {
        int id = k >= used ? 0 : k == 0 ? patternID0 : k == 1 ? patternID1 : k == 2 ? patternID2 :
                 k == 3 ? patternID3 : k == 4 ? patternID4 : k == 5 ? patternID5 : k == 6 ? patternID6
                                                                                   : patternID7;
        int base = min(k, 7) * 17;
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
            reach = d <= cutOffStart ? 1.0
                                     : 1.0 - smoothstep(cutOffStart, max(cutOffEnd, cutOffStart + 0.0001), d);
        }
        vec2 uv = vec2(dot(rel, across), dot(rel, along));
        vec4 texel = texture2D(texture, id == 8 ? uv * patternParams[base + 9] * 0.1 : texCoord);
        if (k == surfaceTurn) surface = texel;
        float picture = dot(texel.rgb, vec3(0.299, 0.587, 0.114));
        float amount = coverage(id, base, rel, d, uv, picture) * reach;
        light += color.rgb * amount;
        alpha += color.a * amount;
    }
}

void main()
{
    vec3 n = normalize(worldNormal);
    vec3 toLight = normalize(lightPos.xyz - worldPosition);
    vec3 toEye = normalize(cameraPos.xyz - worldPosition);
    vec3 halfway = normalize(toLight + toEye);

    vec4 surface;
    vec3 patternLight;
    float patternAlpha;
    surfaceAndPatterns(n, surface, patternLight, patternAlpha);
    surface *= colorDiffuse;
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

    light += patternLight;
    alpha += patternAlpha;

    // Far surfaces sink into the dark before the far plane cuts them off.
    float depth = clamp(viewDepth / max(zFar, 0.0001), 0.0, 1.0);
    light *= 1.0 - depth * depth;

    gl_FragColor = vec4(light, alpha);
}
