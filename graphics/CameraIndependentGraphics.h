// A Graphics that always turns the same side to the camera: before drawing, the object is turned about
// its own position by the camera's orientation (the checkpoints' text uses one).
#pragma once

#include "graphics/Graphics.h"

class alignas(16) CameraIndependentGraphics : public Graphics {
public:
    CameraIndependentGraphics() = default;
    CameraIndependentGraphics(const CameraIndependentGraphics& other) = default;

    CameraIndependentGraphics* clone() const override;
    int getVersion() const override { return 0; }
    // The version, the label "Graphics", the Graphics fields at their stored version, "end".
    void read(BaseInStream& in, int version) override;
    void write(BaseOutStream& out, int version) override;

    void draw(const Matrix& world, Camera& camera) override;
    void drawInPass(const Matrix& world, Camera& camera) override;

    // Translation(t) x R x Translation(-t) x world, t the world matrix's translation.
    static Matrix faceCamera(const Matrix& world, const Camera& camera);
};
