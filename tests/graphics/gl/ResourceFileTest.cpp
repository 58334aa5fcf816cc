// The shipped rendering resources load from their resource file and are usable: the white pixel, the
// default quad, the text font, the particle program and the smoke-ring animation.
#include <gtest/gtest.h>

#include "graphics/Animation.h"
#include "graphics/FreetypeFont.h"
#include "graphics/Model.h"
#include "graphics/ParticleShader.h"
#include "graphics/ScopedGameState.h"
#include "graphics/Texture.h"
#include "graphics/gl/GlContext.h"

namespace {

class ResourceFileTest : public GlTest {};

TEST_F(ResourceFileTest, ShippedGraphicsResourcesLoadQuietly) {
    ScopedGameState scope;
    testing::internal::CaptureStderr();
    scope.state.loadResourceFile("Content/Resources/graphics.res");
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_EQ(log.find("error"), std::string::npos) << log;
    EXPECT_EQ(log.find("Info log"), std::string::npos) << log;
    EXPECT_EQ(scope.state.resources.size(), 5u);

    Texture& white = scope.state.get<Texture>("whitePixel");
    EXPECT_EQ(white.getWidth(), 1);
    EXPECT_EQ(white.getName(), "whitePixel");
    unsigned char texel[4] = {0, 0, 0, 0};
    glBindTexture(GL_TEXTURE_2D, white.getGLName());
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texel);
    glBindTexture(GL_TEXTURE_2D, 0);
    for (unsigned char c : texel) EXPECT_EQ(c, 255);

    Model& quad = scope.state.get<Model>("defaultModel");
    EXPECT_EQ(quad.getIndexCount(), 6);

    FreetypeFont& font = scope.state.get<FreetypeFont>("Verdana Bold");
    ASSERT_TRUE(font.hasFace());
    EXPECT_EQ(std::string(font.lookupFace()->family_name), "DejaVu Sans");
    EXPECT_EQ(font.getSize(), 64);

    ParticleShader& particles = scope.state.get<ParticleShader>("particleShader");
    GLint linked = GL_FALSE;
    glGetProgramiv(particles.getGLName(), GL_LINK_STATUS, &linked);
    EXPECT_EQ(linked, GL_TRUE);

    Animation& ring = scope.state.get<Animation>("smokyRingAnimation");
    ASSERT_EQ(ring.getFrames().size(), 8u);
    EXPECT_EQ(ring.getFrames()[7].getWidth(), 64);
    EXPECT_FLOAT_EQ(ring.getFrameTimes()[7], 0.08f);
    EXPECT_EQ(GlContext::drainErrors(), 0);
}

}  // namespace
