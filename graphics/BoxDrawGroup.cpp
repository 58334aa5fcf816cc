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
    // The first member owns the group's look, so that its patterns centre on it and the dispenser
    // reach test has a position; the scene drops the group before that member is deleted.
    graphics.owner = first;
    graphics.drawGroup = 0;

    const Model merged = Model::createBoxGroup(transforms);
    graphics.setModel(merged);
    boxCount = merged.getIndexCount() / 36;

    body.position = (merged.boundsMin + merged.boundsMax) * 0.5f;
    const Vector4 halfDiagonal = body.position - merged.boundsMin;
    const float radius = std::sqrt(dot4(halfDiagonal, halfDiagonal));
    body.setShape(new Sphere(radius));
}
