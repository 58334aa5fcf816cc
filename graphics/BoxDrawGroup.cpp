// Merging one draw group's boxes into a single mesh with one bounding sphere.
#include "graphics/BoxDrawGroup.h"

#include <cmath>
#include <list>

#include "engine/Entity.h"
#include "graphics/Model.h"
#include "physics/Sphere.h"

BoxDrawGroup::BoxDrawGroup(const std::vector<Entity*>& members) {
    std::list<Matrix> transforms;
    Entity* first = nullptr;
    for (Entity* member : members) {
        if (member == nullptr || member->graphics == nullptr || member->body == nullptr) continue;
        if (first == nullptr) first = member;
        transforms.push_back(getBodyWorldMatrix(*member->body));
    }
    if (first == nullptr) return;

    graphics = *first->graphics;
    // The group belongs to no entity: an owner kept here would dangle once the member is deleted.
    graphics.owner = nullptr;
    graphics.drawGroup = 0;

    const Model merged = Model::createBoxGroup(transforms);
    graphics.setModel(merged);
    boxCount = merged.getIndexCount() / 36;

    body.position = (merged.boundsMin + merged.boundsMax) * 0.5f;
    const Vector4 halfDiagonal = body.position - merged.boundsMin;
    const float radius = std::sqrt(dot4(halfDiagonal, halfDiagonal));
    body.setShape(new Sphere(radius));
}
