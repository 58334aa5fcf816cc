// Camera-facing drawing: the object is turned about its own position by the camera's orientation.
#include "graphics/CameraIndependentGraphics.h"

#include "core/SerializeType.h"
#include "core/TextFormat.h"
#include "graphics/Camera.h"
#include "graphics/Program.h"

namespace {
const auto& cameraIndependentGraphicsType = registerType<CameraIndependentGraphics>("CameraIndependentGraphics");
}

CameraIndependentGraphics* CameraIndependentGraphics::clone() const { return new CameraIndependentGraphics(*this); }

void CameraIndependentGraphics::read(BaseInStream& in, int version) {
    const int graphicsVersion = readBaseHeader(in, Graphics::currentVersion);
    Graphics::read(in, graphicsVersion);
    // The class part holds nothing but the Graphics part: only its closing "end" may follow.
    std::string key;
    while (readKey(in, key)) skipUnknownKey(in, key);
}

void CameraIndependentGraphics::write(BaseOutStream& out, int version) {
    writeBaseHeader(out, Graphics::currentVersion, "Graphics");
    Graphics::write(out, Graphics::currentVersion);
    writeBaseEnd(out);
    writeEnd(out);
}

Matrix CameraIndependentGraphics::faceCamera(const Matrix& world, const Camera& camera) {
    const Vector4 t = world.columns[3];
    const Matrix toOrigin = Matrix::makeTranslation(Vector4(-t.x(), -t.y(), -t.z(), 0.0f));
    const Matrix back = Matrix::makeTranslation(t);
    return back * Matrix::fromQuaternion(camera.getOrientation()) * toOrigin * world;
}

void CameraIndependentGraphics::draw(const Matrix& world, Camera& camera) {
    if (drawGroup != 0) return;
    if (program) program->drawGraphics(faceCamera(world, camera), camera, *this);
    clearFrameInputs();
}

void CameraIndependentGraphics::drawInPass(const Matrix& world, Camera& camera) {
    if (drawGroup != 0) return;
    if (program) program->drawGraphicsInPass(faceCamera(world, camera), *this);
    clearFrameInputs();
}
