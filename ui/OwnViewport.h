// Drawing one entity into a viewport of its own (menus and screens): the entity's body position gives
// the viewport's centre in normalised device coordinates and its bounding radius the viewport's size.
#pragma once

class Camera;
class Entity;

struct ViewportRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// The pixel rectangle for a body at (px, py) in device coordinates with bounding radius r, inside the
// viewport `outer`.
ViewportRect ownViewportRect(const ViewportRect& outer, float px, float py, float r);

// Draws the entity's Graphics with the camera into its own viewport, the body standing at (0, 0, -1)
// meanwhile; body position and viewport are put back afterwards. An entity without a Graphics or a
// Body is not drawn.
void drawEntityInOwnViewport(Entity& entity, Camera& camera);
