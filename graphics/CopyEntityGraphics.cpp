// Drawing another entity's look at this entity's place, turned as the other's body turns (and turned
// back by the scene camera when another camera draws, as overlays do).
#include "graphics/CopyEntityGraphics.h"

#include "core/SerializeType.h"
#include "core/TextFormat.h"
#include "engine/Entity.h"
#include "engine/GameState.h"
#include "engine/MainLoop.h"
#include "graphics/Camera.h"
#include "graphics/CameraComponent.h"
#include "graphics/Model.h"
#include "graphics/Program.h"
#include "graphics/Texture.h"
#include "physics/Body.h"

namespace {
const auto& copyEntityGraphicsType = registerType<CopyEntityGraphics>("CopyEntityGraphics");
}

CopyEntityGraphics* CopyEntityGraphics::clone() const {
    CopyEntityGraphics* copy = new CopyEntityGraphics(*this);
    copy->drawing = false;
    return copy;
}

const auto& CopyEntityGraphics::fields() {
    static constexpr Field<CopyEntityGraphics> table[] = {field<&CopyEntityGraphics::idToCopy>("idToCopy")};
    return table;
}

void CopyEntityGraphics::read(BaseInStream& in, int version) { ::readFields(in, *this, fields()); }

void CopyEntityGraphics::write(BaseOutStream& out, int version) {
    ::writeFields(out, *this, fields());
}

void CopyEntityGraphics::setOwner(Entity* entity) {
    Graphics::setOwner(entity);
    setProgram(Program());
    setModel(Model(MeshData::triangles));
    setTexture(Texture());
}

void CopyEntityGraphics::draw(const Matrix& world, Camera& camera) {
    // A copy that leads back to itself, directly or through other copies, ends here.
    if (drawing) return;
    Entity* target = findEntityById(static_cast<std::uint32_t>(idToCopy));
    if (target == nullptr || target->graphics == nullptr || target->body == nullptr || target->graphics == this) {
        return;
    }

    Matrix m = world;
    // Drawn through another camera (an overlay), the copy is turned back by the player's view.
    CameraComponent* sceneCamera = currentGameState ? currentGameState->getComponents<CameraComponent>() : nullptr;
    if (sceneCamera && &sceneCamera->camera != &camera) {
        const Quaternion q = sceneCamera->camera.getOrientation();
        m = m * Matrix::fromQuaternion(Quaternion(q.x(), q.y(), q.z(), -q.w()));
    }
    m = m * Matrix::fromQuaternion(quaternionNormalized(target->body->rotation));

    Graphics& copied = *target->graphics;
    const bool copiedFlag = copied.translucentThisFrame;
    copied.translucentThisFrame = translucentThisFrame;
    drawing = true;
    copied.draw(m, camera);
    drawing = false;
    copied.translucentThisFrame = copiedFlag;
    translucentThisFrame = false;
}
