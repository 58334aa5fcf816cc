// A flat shape is drawn with the aspect of its entity's texture: a picture 256 wide and 128 high halves
// the height it is drawn with.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "engine/Entity.h"
#include "graphics/Graphics.h"
#include "graphics/Texture.h"
#include "graphics/gl/GlContext.h"
#include "physics/Body.h"
#include "physics/Plane.h"

namespace {

PixelImage blankImage(std::uint32_t width, std::uint32_t height) {
    PixelImage image;
    image.width = width;
    image.height = height;
    image.channels = 4;
    image.format = GL_RGBA;
    image.bitDepth = 8;
    image.rowBytes = 4 * width;
    image.pixels = std::shared_ptr<unsigned char[]>(new unsigned char[image.rowBytes * height]);
    std::memset(image.pixels.get(), 255, image.rowBytes * height);
    return image;
}

class PlaneAspect : public GlTest {};

TEST_F(PlaneAspect, FollowsTheTextureOfTheEntitysGraphics) {
    Entity entity;
    Graphics* graphics = new Graphics();
    entity.addComponent(graphics);
    Body* body = new Body();
    Plane* plane = new Plane();
    plane->size = Vector4(2, 2, 1, 0);
    body->setShape(plane);
    entity.addComponent(body);
    ASSERT_EQ(graphics, entity.graphics);

    graphics->setTexture(Texture(blankImage(256, 128), GL_RGBA));
    ASSERT_EQ(256, graphics->getTexture()->getWidth());
    EXPECT_FLOAT_EQ(0.5f, planeTextureAspect(body));
    Matrix world = body->shape->transform();
    EXPECT_NEAR(1.0f, world.transform(Vector4(0, 1, 0, 0)).y(), 1e-5f);
    EXPECT_NEAR(2.0f, world.transform(Vector4(1, 0, 0, 0)).x(), 1e-5f);

    // A texture without width (a missed lookup) leaves the shape as it is.
    graphics->setTexture(Texture());
    EXPECT_FLOAT_EQ(1.0f, planeTextureAspect(body));
    EXPECT_NEAR(2.0f, body->shape->transform().transform(Vector4(0, 1, 0, 0)).y(), 1e-5f);
}

}  // namespace
