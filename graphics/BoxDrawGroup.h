// Many box-shaped entities of one draw group drawn as one mesh: built once when the level starts from
// the members' world matrices, drawn before the entities and culled as one bounding sphere.
#pragma once

#include <vector>

#include "graphics/Graphics.h"
#include "physics/Body.h"

class Entity;

class alignas(16) BoxDrawGroup {
public:
    // Members in list order; every one has a Graphics and a Body (the first member's look is used
    // for all). Members lacking either are left out.
    explicit BoxDrawGroup(const std::vector<Entity*>& members);
    BoxDrawGroup(const BoxDrawGroup&) = delete;
    BoxDrawGroup& operator=(const BoxDrawGroup&) = delete;

    // Placed at the centre of the merged bounds with a sphere reaching its corners; never simulated.
    Body body;
    // The first member's look with the merged mesh as its model and draw group 0.
    Graphics graphics;
    // How many boxes the merged mesh holds.
    int boxCount = 0;
};
