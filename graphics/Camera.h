// The view every draw path receives: view and projection matrices, near and far distances, the eye
// position, the orientation, and whether a body is worth drawing at all.
#pragma once

#include "core/Matrix.h"
#include "core/Quaternion.h"
#include "core/Vector4.h"

class Body;

class Camera {
public:
    virtual ~Camera() = default;

    // The stored matrices themselves; nothing is computed on access.
    virtual const Matrix& getView() const = 0;
    virtual const Matrix& getProjection() const = 0;
    virtual float getZNear() const = 0;
    virtual float getZFar() const = 0;

    // Eye position in world space (w 1); shaders get it as "cameraPos".
    virtual Vector4 getPosition() const = 0;
    virtual Quaternion getOrientation() const = 0;
    // True when the body lies outside the view volume or looks too small to draw.
    virtual bool isCulled(const Body& body) const = 0;
};
