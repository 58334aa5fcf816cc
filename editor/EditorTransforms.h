// The editor's per-frame keyboard transforms: the fly camera (moving the entity the camera follows),
// growing, stretching, extending and retracting one entity, and moving and scaling a group. Each polls
// the held keys and scales by the frame time, so rates are per second. Directions given by W/S/A/D
// follow the level camera. Entities without a body or shape are left alone.
#pragma once

#include <vector>

#include "core/Quaternion.h"
#include "core/Vector4.h"

class Entity;

// The level camera's orientation; the identity when the level has no camera.
Quaternion editorCameraOrientation();
// The world axis, x (0) or z (2), closest to the camera's sideways direction, for axis 0; 2 - axis
// when z is closer (and on a tie). Without a camera the axis itself.
int chooseViewAxis(int axis);

// W/S/A/D along the camera, Q down and E up; Shift flies ten times faster. The speed scales with the
// entity's bounding radius.
void flyEntity(Entity& entity, float dt);
// Up shrinks and Down grows by 1 + dt per second, the shared grow size with it.
void growEntity(Entity& entity, float dt);
// W/S grow or shrink the height, D/A the width (along the level axis nearest the camera's right).
void stretchEntity(Entity& entity, float dt);
// One face moves outward (extend) or inward (retract) in the key's direction; the opposite face stays.
void extendEntity(Entity& entity, float dt);
void retractEntity(Entity& entity, float dt);

// The group moves along W/S/A/D/Q/E at a tenth of its radius per second (Shift: the whole radius).
void moveSelection(const std::vector<Entity*>& entities, float dt);
// Up shrinks and Down grows the group about its centre by 1 + dt/2 per second.
void scaleSelection(const std::vector<Entity*>& entities, float dt);
// The mean of the body positions (entities without a body do not count).
Vector4 getSelectionCentre(const std::vector<Entity*>& entities);
// The largest distance from the centre plus bounding radius over the group.
float getSelectionRadius(const std::vector<Entity*>& entities, Vector4 centre);
