// The orbit camera: view and eye position from the angles, projection from the window, resizes, the
// visibility test, copies and the text form.
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

#include "core/IStreamWrapper.h"
#include "core/OStreamWrapper.h"
#include "core/TextFormat.h"
#include "engine/MainLoop.h"
#include "engine/MessageDispatcher.h"
#include "graphics/PerspectiveCamera.h"

namespace {

constexpr float pi = 3.14159265f;

void expectNear(Vector4 actual, Vector4 expected, float tolerance = 1e-4f) {
    for (int i = 0; i < 4; ++i) EXPECT_NEAR(actual[i], expected[i], tolerance) << "lane " << i;
}

void expectMatrixNear(const Matrix& a, const Matrix& b, float tolerance = 1e-5f) {
    for (int c = 0; c < 4; ++c) expectNear(a.columns[c], b.columns[c], tolerance);
}

bool hasNaN(const Matrix& m) {
    for (int c = 0; c < 4; ++c)
        for (int r = 0; r < 4; ++r)
            if (std::isnan(m.get(r, c))) return true;
    return false;
}

class CameraTest : public ::testing::Test {
protected:
    void SetUp() override {
        savedWidth = viewportWidth;
        savedHeight = viewportHeight;
        viewportWidth = 800;
        viewportHeight = 400;
    }
    void TearDown() override {
        viewportWidth = savedWidth;
        viewportHeight = savedHeight;
    }

    // A camera at the origin looking down -z, as the culling cases assume.
    PerspectiveCamera straightAhead() {
        PerspectiveCamera camera;
        camera.updateView();
        return camera;
    }

    int savedWidth = 0;
    int savedHeight = 0;
};

}  // namespace

TEST_F(CameraTest, DefaultCameraHasIdentityViewAndItsDefaults) {
    PerspectiveCamera camera;
    EXPECT_EQ(camera.getView(), Matrix());
    EXPECT_EQ(camera.position, Vector4(0, 0, 0, 1));
    EXPECT_FLOAT_EQ(camera.fovy, 1.2566371f);
    EXPECT_FLOAT_EQ(camera.getZNear(), 0.01f);
    EXPECT_FLOAT_EQ(camera.getZFar(), 1000.0f);
    expectNear(camera.getPosition(), Vector4(0, 0, 0, 1));
}

TEST_F(CameraTest, EyeOrbitsTheCentreAndTheViewBringsItToTheOrigin) {
    PerspectiveCamera camera;
    camera.rotateY = pi / 2;
    camera.distance = 10;
    camera.updateView();
    expectNear(camera.getPosition(), Vector4(10, 0, 0, 1));
    // The eye maps to the origin and the orbit centre lies straight ahead, distance away.
    expectNear(camera.getView().transform(camera.getPosition()), Vector4(0, 0, 0, 1));
    expectNear(camera.getView().transform(camera.position), Vector4(0, 0, -10, 1));

    camera.position = Vector4(1, 2, 3, 1);
    camera.rotateX = 0.3f;
    camera.rotateZ = -0.7f;
    camera.updateView();
    expectNear(camera.getView().transform(camera.getPosition()), Vector4(0, 0, 0, 1));
    expectNear(camera.getView().transform(camera.position), Vector4(0, 0, -10, 1));
}

TEST_F(CameraTest, OrientationTurnsAboutXThenZThenY) {
    PerspectiveCamera camera;
    camera.rotateX = 0.4f;
    camera.rotateY = -1.1f;
    camera.rotateZ = 0.9f;
    auto axis = [](float x, float y, float z, float angle) {
        return quaternionFromAxisAngle(Vector4(x, y, z, 0), angle);
    };
    Quaternion expected = quaternionMultiply(
        quaternionMultiply(axis(0, 1, 0, camera.rotateY), axis(0, 0, 1, camera.rotateZ)), axis(1, 0, 0, camera.rotateX));
    expectNear(camera.getOrientation().toVector4(), expected.toVector4(), 1e-6f);
}

TEST_F(CameraTest, ProjectionFollowsFieldOfViewAndAspect) {
    PerspectiveCamera camera(1.0f, 0.5f, 50.0f);
    const float f = 1.0f / std::tan(0.5f);
    const Matrix& p = camera.getProjection();
    EXPECT_NEAR(p.get(0, 0), f / 2.0f, 1e-5f);
    EXPECT_NEAR(p.get(1, 1), f, 1e-5f);
    EXPECT_NEAR(p.get(2, 2), 50.5f / -49.5f, 1e-5f);
    EXPECT_EQ(p.get(3, 2), -1.0f);
    EXPECT_NEAR(p.get(2, 3), 2 * 50 * 0.5f / -49.5f, 1e-5f);
    EXPECT_EQ(p.get(3, 3), 0.0f);
    // A point on the near plane maps to depth -1, one on the far plane to +1.
    Vector4 nearPoint = p.transform(Vector4(0, 0, -0.5f, 1));
    Vector4 farPoint = p.transform(Vector4(0, 0, -50, 1));
    EXPECT_NEAR(nearPoint.z() / nearPoint.w(), -1.0f, 1e-5f);
    EXPECT_NEAR(farPoint.z() / farPoint.w(), 1.0f, 1e-4f);
    expectNear(camera.frustumSlope, Vector4(2 * std::tan(0.5f), std::tan(0.5f), -1, 0));
}

TEST_F(CameraTest, ResizeMessageRebuildsRegisteredCamerasButNotCopies) {
    PerspectiveCamera camera;
    PerspectiveCamera copy(camera);
    const float column0 = camera.getProjection().get(0, 0);
    const float slopeX = camera.frustumSlope.x();
    viewportWidth = 1600;
    sendMessage(new Message(6), true);
    EXPECT_NEAR(camera.getProjection().get(0, 0), column0 / 2, 1e-6f);
    EXPECT_NEAR(camera.frustumSlope.x(), slopeX * 2, 1e-5f);
    EXPECT_FLOAT_EQ(copy.getProjection().get(0, 0), column0);
    EXPECT_EQ(copy.getView(), camera.getView());
}

TEST_F(CameraTest, ResizeToNothingKeepsTheProjection) {
    PerspectiveCamera camera;
    const Matrix before = camera.getProjection();
    const Vector4 slope = camera.frustumSlope;
    viewportHeight = 0;
    sendMessage(new Message(6), true);
    EXPECT_EQ(camera.getProjection(), before);
    EXPECT_EQ(camera.frustumSlope, slope);
    viewportWidth = 0;
    viewportHeight = 300;
    camera.updateProjection();
    EXPECT_EQ(camera.getProjection(), before);
    EXPECT_FALSE(hasNaN(camera.getProjection()));

    // A camera made while the window has no area still gets a usable, square projection.
    viewportWidth = 0;
    PerspectiveCamera early;
    EXPECT_FALSE(hasNaN(early.getProjection()));
    EXPECT_FLOAT_EQ(early.getProjection().get(0, 0), early.getProjection().get(1, 1));
    EXPECT_FALSE(early.isSphereCulled(Vector4(0, 0, -5, 1), 1));
}

TEST_F(CameraTest, SphereStraightAheadIsDrawn) {
    PerspectiveCamera camera = straightAhead();
    EXPECT_FALSE(camera.isSphereCulled(Vector4(0, 0, -5, 1), 1.0f));
}

TEST_F(CameraTest, SpheresBehindBeyondOrBesideTheViewAreCulled) {
    PerspectiveCamera camera = straightAhead();
    EXPECT_TRUE(camera.isSphereCulled(Vector4(0, 0, 5, 1), 1.0f));       // behind
    EXPECT_TRUE(camera.isSphereCulled(Vector4(0, 0, -1003, 1), 2.0f));     // beyond the far plane
    EXPECT_FALSE(camera.isSphereCulled(Vector4(0, 0, -1001.5f, 1), 2.0f));  // reaches into it
    // The view is 2 * tan(36 deg) * depth wide on x (aspect 2) and half that on y.
    const float slopeY = std::tan(1.2566371f / 2);
    const float depth = 10;
    EXPECT_TRUE(camera.isSphereCulled(Vector4(2 * slopeY * (depth + 1) + 1.5f, 0, -depth, 1), 1.0f));
    EXPECT_FALSE(camera.isSphereCulled(Vector4(2 * slopeY * (depth + 1) + 0.5f, 0, -depth, 1), 1.0f));
    EXPECT_TRUE(camera.isSphereCulled(Vector4(0, -(slopeY * (depth + 1) + 1.5f), -depth, 1), 1.0f));
    EXPECT_FALSE(camera.isSphereCulled(Vector4(0, slopeY * (depth + 1) + 0.5f, -depth, 1), 1.0f));
}

TEST_F(CameraTest, SphereStraddlingTheNearPlaneIsDrawn) {
    PerspectiveCamera camera = straightAhead();
    // z - r = 0.005 > -zNear would cull; here z - r = -0.5 and z + r = 0.5.
    EXPECT_FALSE(camera.isSphereCulled(Vector4(0, 0, 0, 1), 0.5f));
    EXPECT_TRUE(camera.isSphereCulled(Vector4(0, 0, 0.6f, 1), 0.5f));
}

TEST_F(CameraTest, TinyOrPointLikeSpheresAreCulled) {
    PerspectiveCamera camera = straightAhead();
    EXPECT_TRUE(camera.isSphereCulled(Vector4(0, 0, -100, 1), 0.1f));   // 0.001 of its depth
    EXPECT_FALSE(camera.isSphereCulled(Vector4(0, 0, -100, 1), 0.2f));  // 0.002 of its depth
    EXPECT_TRUE(camera.isSphereCulled(Vector4(0, 0, -3, 1), 0.0f));
}

TEST_F(CameraTest, SphereWithNaNPositionIsCulled) {
    PerspectiveCamera camera = straightAhead();
    EXPECT_TRUE(camera.isSphereCulled(Vector4(std::nanf(""), 0, -5, 1), 1.0f));
}

TEST_F(CameraTest, CullingFollowsTheCameraPlacement) {
    PerspectiveCamera camera;
    camera.rotateY = pi / 2;  // eye on +x looking towards -x
    camera.distance = 10;
    camera.updateView();
    EXPECT_FALSE(camera.isSphereCulled(Vector4(0, 0, 0, 1), 1.0f));
    EXPECT_TRUE(camera.isSphereCulled(Vector4(20, 0, 0, 1), 1.0f));
}

TEST_F(CameraTest, BlockWithOnlyEndKeepsDefaultsAndComputesMatrices) {
    std::istringstream text("PerspectiveCamera 0\nend\n");
    IStreamWrapper in(text);
    PerspectiveCamera camera;
    camera.view = Matrix::makeScale(Vector4(2, 2, 2, 1));
    camera.projection = Matrix();
    readValue(in, camera);
    EXPECT_FALSE(in.hasFailed());
    EXPECT_EQ(camera.getView(), Matrix());
    EXPECT_EQ(camera.getProjection(), PerspectiveCamera().getProjection());
}

TEST_F(CameraTest, KeysAreReadInAnyOrderAndMissingOnesKeepTheirValue) {
    std::istringstream text(
        "PerspectiveCamera 0\n zFar 200 zNear 0.5 fovy 1 rotateZ 0.25 rotateY 0.5 rotateX 0.75 distance 7 "
        "pos 1 2 3 1 end");
    IStreamWrapper in(text);
    PerspectiveCamera camera;
    readValue(in, camera);
    EXPECT_EQ(camera.position, Vector4(1, 2, 3, 1));
    EXPECT_FLOAT_EQ(camera.distance, 7);
    EXPECT_FLOAT_EQ(camera.rotateX, 0.75f);
    EXPECT_FLOAT_EQ(camera.rotateY, 0.5f);
    EXPECT_FLOAT_EQ(camera.rotateZ, 0.25f);
    EXPECT_FLOAT_EQ(camera.fovy, 1);
    EXPECT_FLOAT_EQ(camera.zNear, 0.5f);
    EXPECT_FLOAT_EQ(camera.zFar, 200);
    expectNear(camera.getView().transform(camera.getPosition()), Vector4(0, 0, 0, 1));

    std::istringstream onlyFovy("PerspectiveCamera 0 fovy 1 end");
    IStreamWrapper in2(onlyFovy);
    PerspectiveCamera other;
    readValue(in2, other);
    EXPECT_NEAR(other.getProjection().get(1, 1), 1.0f / std::tan(0.5f), 1e-5f);
    EXPECT_EQ(other.position, Vector4(0, 0, 0, 1));
    EXPECT_EQ(other.distance, 0);
    EXPECT_EQ(other.getView(), Matrix());
}

TEST_F(CameraTest, WrittenCameraReadsBackEqual) {
    PerspectiveCamera camera(0.9f, 0.25f, 300);
    camera.position = Vector4(-4, 5.5f, 0.125f, 1);
    camera.distance = 12;
    camera.rotateX = -0.5f;
    camera.rotateY = 2;
    camera.updateView();
    std::ostringstream text;
    {
        OStreamWrapper out(text);
        writeValue(out, camera);
    }
    EXPECT_EQ(text.str().rfind("PerspectiveCamera", 0), 0u) << text.str();
    std::istringstream back(text.str());
    IStreamWrapper in(back);
    PerspectiveCamera read;
    readValue(in, read);
    EXPECT_FALSE(in.hasFailed());
    EXPECT_EQ(read.position, camera.position);
    EXPECT_FLOAT_EQ(read.distance, camera.distance);
    EXPECT_FLOAT_EQ(read.fovy, camera.fovy);
    EXPECT_FLOAT_EQ(read.zFar, camera.zFar);
    expectMatrixNear(read.getView(), camera.getView());
    expectMatrixNear(read.getProjection(), camera.getProjection());
}
