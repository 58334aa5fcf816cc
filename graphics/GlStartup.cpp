// OpenGL start-up and the choice of the full-screen mode.
#include "graphics/GlStartup.h"

#include <GL/glew.h>

#include <iostream>

#include "core/Configuration.h"

namespace {

DisplayModeControl*& installedControl() {
    static DisplayModeControl* control = nullptr;
    return control;
}

}  // namespace

DisplayModeControl::~DisplayModeControl() = default;

void setDisplayModeControl(DisplayModeControl* control) { installedControl() = control; }

bool initializeGraphics() {
    glewExperimental = GL_TRUE;
    GLenum result = glewInit();
    // GLEW is built for GLX; under an EGL context (headless) it loads every GL entry point and then
    // fails only on the GLX ones, which the game never calls.
    bool loaded = result == GLEW_OK || result == GLEW_ERROR_NO_GLX_DISPLAY;
    if (!loaded) {
        std::cerr << "error: could not load the OpenGL entry points: "
                  << reinterpret_cast<const char*>(glewGetErrorString(result)) << std::endl;
    } else if (!GLEW_VERSION_2_0) {
        std::cerr << "error: OpenGL 2.0 is not available" << std::endl;
        loaded = false;
    }

    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_DEPTH_TEST);

    if (configuration.getBool("fullscreen")) {
        FullscreenMode mode = findFullscreenMode();
        if (DisplayModeControl* control = installedControl()) control->enterFullscreen(mode.width, mode.height);
    }
    return loaded;
}

FullscreenMode findFullscreenMode() {
    DisplayModeControl* control = installedControl();
    if (!control) return FullscreenMode{};
    for (const FullscreenMode& mode : control->displayModes())
        if (control->testFullscreenMode(mode.width, mode.height)) return mode;
    return FullscreenMode{};
}
