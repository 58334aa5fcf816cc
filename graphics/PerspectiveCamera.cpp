// Orbit camera maths: view from the three angles and the distance, projection from the field of view
// and the window's aspect ratio, and the bounding-sphere visibility test the scene draw asks.
#include "graphics/PerspectiveCamera.h"

#include <cmath>

#include "core/SerializeType.h"
#include "core/TextFormat.h"
#include "engine/MainLoop.h"
#include "engine/MessageTypes.h"
#include "physics/Body.h"
#include "physics/Shape.h"

namespace {
const auto& perspectiveCameraType = registerType<PerspectiveCamera>("PerspectiveCamera");
}

Quaternion quaternionFromEuler(float rotateX, float rotateY, float rotateZ) {
    const float sx = std::sin(rotateX * 0.5f), cx = std::cos(rotateX * 0.5f);
    const float sy = std::sin(rotateY * 0.5f), cy = std::cos(rotateY * 0.5f);
    const float sz = std::sin(rotateZ * 0.5f), cz = std::cos(rotateZ * 0.5f);
    return Quaternion(sx * cy * cz + cx * sy * sz, cx * sy * cz + sx * cy * sz, cx * cy * sz - sx * sy * cz,
                      cx * cy * cz - sx * sy * sz);
}

PerspectiveCamera::PerspectiveCamera() { initialize(); }

PerspectiveCamera::PerspectiveCamera(float fovy, float zNear, float zFar) : fovy(fovy), zNear(zNear), zFar(zFar) {
    initialize();
}

PerspectiveCamera::PerspectiveCamera(const PerspectiveCamera& other)
    : Camera(other),
      EventHandler(other),
      position(other.position),
      frustumSlope(other.frustumSlope),
      distance(other.distance),
      rotateX(other.rotateX),
      rotateY(other.rotateY),
      rotateZ(other.rotateZ),
      fovy(other.fovy),
      zNear(other.zNear),
      zFar(other.zFar),
      view(other.view),
      projection(other.projection),
      aspect(other.aspect) {}

PerspectiveCamera& PerspectiveCamera::operator=(const PerspectiveCamera& other) {
    // Only the camera's own data: this object keeps its own registrations.
    position = other.position;
    frustumSlope = other.frustumSlope;
    distance = other.distance;
    rotateX = other.rotateX;
    rotateY = other.rotateY;
    rotateZ = other.rotateZ;
    fovy = other.fovy;
    zNear = other.zNear;
    zFar = other.zFar;
    view = other.view;
    projection = other.projection;
    aspect = other.aspect;
    return *this;
}

PerspectiveCamera::~PerspectiveCamera() = default;

void PerspectiveCamera::initialize() {
    updateView();
    updateProjection();
    registerWindowChangeHandler();
}

void PerspectiveCamera::registerWindowChangeHandler() {
    // The handle is dropped on purpose: the registration lasts until this camera's handler part goes.
    registerGlobalHandler(MessageType::WindowResized, this, [](PerspectiveCamera& camera, Message&) { camera.updateProjection(); });
}

Vector4 PerspectiveCamera::getPosition() const {
    Vector4 offset = quaternionRotate(getOrientation(), Vector4(0.0f, 0.0f, distance, 0.0f));
    offset.setW(0.0f);
    return position + offset;
}

Quaternion PerspectiveCamera::getOrientation() const { return quaternionFromEuler(rotateX, rotateY, rotateZ); }

void PerspectiveCamera::updateView() {
    Quaternion q = getOrientation();
    Matrix inverseRotation = Matrix::fromQuaternion(Quaternion(q.x(), q.y(), q.z(), -q.w()));
    Matrix toCentre = Matrix::makeTranslation(Vector4(-position.x(), -position.y(), -position.z(), 0.0f));
    Matrix back = Matrix::makeTranslation(Vector4(0.0f, 0.0f, -distance, 0.0f));
    view = back * inverseRotation * toCentre;
}

void PerspectiveCamera::updateProjection() {
    // A minimised or not yet shown window has no aspect ratio: the last one stays (square for a
    // camera that never saw the window), so the projection never fills with NaNs.
    if (viewportWidth > 0 && viewportHeight > 0)
        aspect = static_cast<float>(viewportWidth) / static_cast<float>(viewportHeight);
    buildProjection();
}

void PerspectiveCamera::buildProjection() {
    const float t = static_cast<float>(std::tan(fovy * 0.5));
    const float f = 1.0f / t;
    const float depth = zNear - zFar;
    projection = Matrix(Vector4(f / aspect, 0.0f, 0.0f, 0.0f), Vector4(0.0f, f, 0.0f, 0.0f),
                        Vector4(0.0f, 0.0f, (zFar + zNear) / depth, -1.0f),
                        Vector4(0.0f, 0.0f, 2.0f * zFar * zNear / depth, 0.0f));
    // The inverse projection of (1, 1, 0, 1) without the division by w.
    frustumSlope = Vector4(aspect / f, 1.0f / f, -1.0f, 0.0f);
}

bool PerspectiveCamera::isCulled(const Body& body) const {
    const float radius = body.shape ? body.shape->getBoundingRadius() : 0.0f;
    return isSphereCulled(body.position, radius);
}

bool PerspectiveCamera::isSphereCulled(Vector4 centre, float radius) const {
    const Vector4 v = view.transform(centre);
    const float z = v.z();
    const double r = radius;
    if (static_cast<double>(z) - r > -static_cast<double>(zNear)) return true;
    if (static_cast<double>(z) + r < -static_cast<double>(zFar)) return true;
    if (z < 0.0f && radius / -z < 0.0015f) return true;
    const float d = radius - z;
    const float bx = d * frustumSlope.x() + radius;
    const float by = d * frustumSlope.y() + radius;
    const float x = v.x(), y = v.y();
    // Written so that a NaN coordinate counts as outside.
    return !(-bx <= x && x <= bx && -by <= y && y <= by);
}

const auto& PerspectiveCamera::fields() {
    static constexpr Field<PerspectiveCamera> table[] = {
        field<&PerspectiveCamera::position>("pos"),   field<&PerspectiveCamera::distance>("distance"),
        field<&PerspectiveCamera::rotateX>("rotateX"), field<&PerspectiveCamera::rotateY>("rotateY"),
        field<&PerspectiveCamera::rotateZ>("rotateZ"), field<&PerspectiveCamera::fovy>("fovy"),
        field<&PerspectiveCamera::zNear>("zNear"),     field<&PerspectiveCamera::zFar>("zFar"),
    };
    return table;
}

void PerspectiveCamera::read(BaseInStream& in, int version) {
    readFields(in, *this, fields());
    updateView();
    updateProjection();
}

void PerspectiveCamera::write(BaseOutStream& out, int version) const {
    writeFields(out, *this, fields());
}
