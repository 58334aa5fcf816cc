// The procedural meshes of the game's basic shapes, built in main memory. Model's create functions
// upload them; keeping the arithmetic apart lets it be checked without a GL context.
#pragma once

#include <list>

#include "graphics/MeshData.h"

class Matrix;

class MeshBuilder {
public:
    // Ellipsoid filling the box [min, max] in one triangle strip of n columns of n vertices (plus a
    // seam column). n 0 gives an empty mesh; n 1, a negative n, or more vertices than 16-bit indices
    // reach are reported and give an empty mesh.
    static MeshData ellipsoid(float minX, float minY, float minZ, float maxX, float maxY, float maxZ, int n);
    static MeshData sphere(int n);
    // 24 vertices, 36 indices, the corners at -1 and 1.
    static MeshData box();
    // Open tube along x from -1 to 1 with n segments.
    static MeshData capsule(int n);
    // Flat arrow pointing along +x.
    static MeshData arrow();
    // Tube with a flattened knob, one strip; needs at least 4 segments.
    static MeshData bumper(int n);
    // Tube closed at x = -1 by a double-sided disc.
    static MeshData largeBumper(int n);
    // Screen quad in the plane z = 0.
    static MeshData quad();
    // One box per matrix, in list order, in one triangle list.
    static MeshData boxGroup(const std::list<Matrix>& transforms);

    // Boxes one group mesh can hold with 16-bit indices.
    static constexpr int maxBoxesPerGroup = 2730;
};
