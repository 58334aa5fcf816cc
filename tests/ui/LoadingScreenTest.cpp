// The loading screen's arithmetic: where the sphere stands for a progress value (also when the splash
// took the whole load), how it rolls, and the own-viewport rectangle it is drawn in.
#include <gtest/gtest.h>

#include <cmath>

#include "ui/LoadingScreen.h"
#include "ui/OwnViewport.h"

namespace {

float length(Quaternion q) {
    const Vector4 v(q.m);
    return std::sqrt(dot4(v, v));
}

}  // namespace

TEST(LoadingSphere, TravelsFromTheSplashEndToTheEndOfTheLoad) {
    EXPECT_FLOAT_EQ(0.0f, LoadingScreen::sphereFraction(0.0f, 0.0f));
    EXPECT_FLOAT_EQ(0.25f, LoadingScreen::sphereFraction(0.25f, 0.0f));
    EXPECT_FLOAT_EQ(1.0f, LoadingScreen::sphereFraction(1.0f, 0.0f));
    // Counted from where the splash ended: 0.7 of a load whose splash ended at 0.4 is half way.
    const float half = LoadingScreen::sphereFraction(0.7f, 0.4f);
    EXPECT_NEAR(0.5f, half, 1e-6f);
    EXPECT_NEAR(-0.025f, -0.65f + LoadingScreen::sphereTravel * half, 1e-6f);
}

TEST(LoadingSphere, ASplashThatLastedTheWholeLoadLeavesTheSphereAtTheEnd) {
    EXPECT_FLOAT_EQ(1.0f, LoadingScreen::sphereFraction(1.0f, 1.0f));
    EXPECT_FLOAT_EQ(1.0f, LoadingScreen::sphereFraction(0.3f, 1.0f));
    const float fraction = LoadingScreen::sphereFraction(0.999f, 0.9999f);
    EXPECT_TRUE(std::isfinite(fraction));
    EXPECT_GE(fraction, 0.0f);
    EXPECT_LE(fraction, 1.0f);
}

TEST(LoadingSphere, ProgressGoingBackMovesItBackButNeverOffItsPath) {
    EXPECT_LT(LoadingScreen::sphereFraction(0.5f, 0.2f), LoadingScreen::sphereFraction(0.8f, 0.2f));
    EXPECT_FLOAT_EQ(0.0f, LoadingScreen::sphereFraction(0.1f, 0.2f));
    EXPECT_FLOAT_EQ(0.0f, LoadingScreen::sphereFraction(std::nanf(""), 0.2f));
    EXPECT_FLOAT_EQ(1.0f, LoadingScreen::sphereFraction(3.0f, 0.2f));
}

TEST(LoadingSphere, RollsClockwiseToTheRightAndBackAgain) {
    const Quaternion start;
    // Rolling right by one radius on a square window turns it by -1 radian about z.
    const Quaternion rolled = LoadingScreen::rollRotation(start, 0.28f, 0.28f, 1.0f);
    EXPECT_NEAR(std::sin(-0.5f), rolled.z(), 1e-6f);
    EXPECT_NEAR(std::cos(-0.5f), rolled.w(), 1e-6f);
    EXPECT_NEAR(1.0f, length(rolled), 1e-5f);
    // The window's aspect stretches the turn.
    const Quaternion wide = LoadingScreen::rollRotation(start, 0.28f, 0.28f, 2.0f);
    EXPECT_NEAR(std::sin(-1.0f), wide.z(), 1e-6f);
    const Quaternion back = LoadingScreen::rollRotation(rolled, -0.28f, 0.28f, 1.0f);
    EXPECT_NEAR(0.0f, back.z(), 1e-5f);
    EXPECT_NEAR(1.0f, back.w(), 1e-5f);
}

TEST(LoadingSphere, ManySmallRollsStayUnitLength) {
    Quaternion q;
    for (int i = 0; i < 10000; ++i) q = LoadingScreen::rollRotation(q, 0.001f, 0.28f, 1.3333f);
    EXPECT_NEAR(1.0f, length(q), 1e-3f);
}

TEST(OwnViewport, CentredWhereTheBodyStandsAndSizedByItsRadius) {
    const ViewportRect outer{0, 0, 800, 600};
    const ViewportRect centre = ownViewportRect(outer, 0.0f, 0.0f, 0.5f);
    EXPECT_EQ(400, centre.width);
    EXPECT_EQ(300, centre.height);
    EXPECT_EQ(200, centre.x);
    EXPECT_EQ(150, centre.y);

    // The sphere's start: x -0.65, y -0.7, radius 0.28.
    const ViewportRect sphere = ownViewportRect(outer, -0.65f, -0.7f, 0.28f);
    EXPECT_EQ(224, sphere.width);
    EXPECT_EQ(168, sphere.height);
    EXPECT_EQ(28, sphere.x);  // 140 - 112
    EXPECT_EQ(6, sphere.y);   // 90 - 84

    const ViewportRect offset = ownViewportRect(ViewportRect{10, 20, 800, 600}, 0.0f, 0.0f, 0.5f);
    EXPECT_EQ(210, offset.x);
    EXPECT_EQ(170, offset.y);
}
