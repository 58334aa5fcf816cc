// A hidden window with an OpenGL 2.1 context for the tests that need GL (headless under
// SDL_VIDEODRIVER=offscreen), with helpers to read the back buffer and to count GL errors.
#pragma once

#include <GL/glew.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "graphics/Camera.h"

// One context per test program, made on first use and kept until exit (each test runs in its own
// process under ctest, and llvmpipe contexts are slow to make).
class GlContext {
public:
    static constexpr int width = 256;
    static constexpr int height = 128;

    // Makes the window and context on first call; false (with a line on stderr) when that fails.
    static bool ensure();
    // Drains pending GL errors and returns how many there were.
    static int drainErrors();
    // RGBA bytes of the back buffer rectangle, rows from the bottom.
    static std::vector<std::uint8_t> readPixels(int x, int y, int w, int h);
};

// Base fixture: every test starts with a current context, a full-window viewport, a cleared back
// buffer and no pending GL error.
class GlTest : public ::testing::Test {
protected:
    void SetUp() override;
};

// A camera with matrices set by the test (identity by default: clip space is world space).
class TestCamera : public Camera {
public:
    Matrix view;
    Matrix projection;
    float zNear = 0.1f;
    float zFar = 100.0f;

    const Matrix& getView() const override { return view; }
    const Matrix& getProjection() const override { return projection; }
    float getZNear() const override { return zNear; }
    float getZFar() const override { return zFar; }
    Vector4 getPosition() const override { return Vector4(0.0f, 0.0f, 0.0f, 1.0f); }
    Quaternion getOrientation() const override { return Quaternion(); }
    bool isCulled(const Body&) const override { return false; }
};

// Writes text to a new file in the test's temporary folder and returns its path.
std::string writeTempFile(const std::string& name, const std::string& text);
