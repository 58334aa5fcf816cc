// Drawing an entity into its own viewport.
#include "ui/OwnViewport.h"

#include <GL/glew.h>

#include <cmath>

#include "engine/Entity.h"
#include "graphics/Graphics.h"
#include "physics/Body.h"
#include "physics/Shape.h"

ViewportRect ownViewportRect(const ViewportRect& outer, float px, float py, float r) {
    const float x = static_cast<float>(outer.x), y = static_cast<float>(outer.y);
    const float w = static_cast<float>(outer.width), h = static_cast<float>(outer.height);
    auto round = [](float v) { return static_cast<int>(std::floor(v + 0.5f)); };
    ViewportRect rect;
    rect.width = round(w * r);
    rect.height = round(h * r);
    rect.x = round(x + (px + 1.0f) * w * 0.5f - w * r * 0.5f);
    rect.y = round(y + (py + 1.0f) * h * 0.5f - h * r * 0.5f);
    return rect;
}

void drawEntityInOwnViewport(Entity& entity, Camera& camera) {
    if (!entity.graphics || !entity.body) return;
    Body& body = *entity.body;
    GLint current[4] = {0, 0, 0, 0};
    glGetIntegerv(GL_VIEWPORT, current);
    const Vector4 kept = body.position;
    const float r = body.shape ? body.shape->getBoundingRadius() : 0.0f;
    const ViewportRect rect =
        ownViewportRect(ViewportRect{current[0], current[1], current[2], current[3]}, kept.x(), kept.y(), r);
    body.position = Vector4(0.0f, 0.0f, -1.0f, 1.0f);
    glViewport(rect.x, rect.y, rect.width, rect.height);
    entity.graphics->draw(getBodyWorldMatrix(body), camera);
    glViewport(current[0], current[1], current[2], current[3]);
    body.position = kept;
}
