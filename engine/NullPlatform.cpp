// The windowless platform.
#include "engine/NullPlatform.h"

#include "engine/MainLoop.h"

NullPlatform::NullPlatform() : start(std::chrono::steady_clock::now()) {}

NullPlatform::~NullPlatform() = default;

std::uint64_t NullPlatform::milliseconds() {
    const auto elapsed = std::chrono::steady_clock::now() - start;
    return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count());
}

void NullPlatform::pumpWindowMessages() {}

void NullPlatform::swapBuffers() {}

void NullPlatform::setSwapInterval(int) {}

bool NullPlatform::isMinimised() { return false; }

void NullPlatform::getClientSize(int& width, int& height) {
    width = viewportWidth;
    height = viewportHeight;
}

void NullPlatform::warpCursor(int, int) {}

void NullPlatform::setMouseGrab(bool) {}

void NullPlatform::setCursorVisible(bool) {}
