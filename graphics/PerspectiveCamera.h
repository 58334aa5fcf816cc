// The game's one camera kind: an orbit camera looking at "pos" from "distance" away, turned by three
// angles, with a symmetric perspective projection that follows the window's aspect ratio.
#pragma once

#include "core/Matrix.h"
#include "core/Quaternion.h"
#include "core/Vector4.h"
#include "engine/EventHandler.h"
#include "graphics/Camera.h"

class BaseInStream;
class BaseOutStream;

class alignas(16) PerspectiveCamera : public Camera, public EventHandler {
public:
    static constexpr float defaultFovy = 1.2566371f;  // 72 degrees
    static constexpr float defaultZNear = 0.01f;
    static constexpr float defaultZFar = 1000.0f;

    // Both constructors compute the matrices and follow window resizes from then on.
    PerspectiveCamera();
    PerspectiveCamera(float fovy, float zNear, float zFar);
    // Copies every field and both matrices; the copy does not follow window resizes.
    PerspectiveCamera(const PerspectiveCamera& other);
    PerspectiveCamera& operator=(const PerspectiveCamera& other);
    ~PerspectiveCamera() override;

    const Matrix& getView() const override { return view; }
    const Matrix& getProjection() const override { return projection; }
    float getZNear() const override { return zNear; }
    float getZFar() const override { return zFar; }
    Vector4 getPosition() const override;
    Quaternion getOrientation() const override;
    bool isCulled(const Body& body) const override;
    // The test behind isCulled, for a bounding sphere in world space.
    bool isSphereCulled(Vector4 centre, float radius) const;

    virtual int getVersion() const { return 0; }
    // Owners that change the fields call these themselves.
    virtual void updateView();
    // While the window has no area the last aspect ratio is kept.
    virtual void updateProjection();

    // Keys "pos", "distance", "rotateX", "rotateY", "rotateZ", "fovy", "zNear", "zFar", in any order,
    // each optional; the matrices are recomputed afterwards.
    void read(BaseInStream& in, int version);
    void write(BaseOutStream& out, int version) const;
    // The keys of the class part, in the order they are written (defined beside read).
    static const auto& fields();

    Vector4 position{0.0f, 0.0f, 0.0f, 1.0f};
    // Half-width and half-height of the view volume at one unit of depth: (aspect * tan(fovy / 2),
    // tan(fovy / 2), -1, 0).
    Vector4 frustumSlope{0.0f, 0.0f, -1.0f, 0.0f};
    float distance = 0.0f;
    float rotateX = 0.0f;
    float rotateY = 0.0f;
    float rotateZ = 0.0f;
    float fovy = defaultFovy;
    float zNear = defaultZNear;
    float zFar = defaultZFar;
    Matrix view;
    Matrix projection;

private:
    void initialize();
    // Message 6 (window moved or resized) rebuilds the projection.
    void registerWindowChangeHandler();
    // Computes projection and slope for the current aspect ratio.
    void buildProjection();
    // Width over height of the window when the projection was last built.
    float aspect = 1.0f;
};

// The orientation of three angles: a vector is turned about x, then z, then y.
Quaternion quaternionFromEuler(float rotateX, float rotateY, float rotateZ);
