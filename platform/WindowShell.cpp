// The game window's life and the display-mode switches, over the SDL platform.
#include "platform/WindowShell.h"

#include "core/Configuration.h"
#include "engine/EventHandler.h"
#include "engine/MainLoop.h"
#include "engine/MessageTypes.h"
#include "graphics/GlStartup.h"
#include "platform/GraphicsEventHandler.h"
#include "platform/SdlPlatform.h"

bool isFullscreen = false;

namespace {

SdlPlatform*& gameWindow() {
    static SdlPlatform* window = nullptr;
    return window;
}

// A missing or non-positive size setting would make a window nobody can see.
int sizeSetting(const char* key, int fallback) {
    int value = configuration.getInt(key, fallback);
    return value > 0 ? value : fallback;
}

}  // namespace

bool createGameWindow(const std::string& title) {
    if (gameWindow()) return true;
    auto* window = new SdlPlatform;
    gameWindow() = window;
    setDisplayModeControl(window);

    WindowRequest request;
    request.title = title;
    request.width = sizeSetting("resolutionX", 1024);
    request.height = sizeSetting("resolutionY", 768);
    request.antiAliasing = configuration.getInt("antiAliasing");
    if (configuration.getBool("fullscreen") && window->startVideo()) {
        // Full screen starts as a borderless window of the chosen size; without any size the
        // display accepts it stays an ordinary window.
        FullscreenMode mode = findFullscreenMode();
        if (mode.width > 0 && mode.height > 0) {
            request.width = int(mode.width);
            request.height = int(mode.height);
            request.popup = true;
        }
    }
    if (!window->open(request)) {
        destroyGameWindow();
        return false;
    }
    new GraphicsEventHandler;  // deletes itself on the shutdown message
    setPlatform(window);
    initializeGraphics();
    isFullscreen = window->fullscreen();
    resizeViewport();
    // With no window manager no focus event may ever come, and nothing would be drawn.
    sendMessage(new Message(MessageType::WindowActive));
    sendMessage(new Message(MessageType::WindowResized));
    return true;
}

void destroyGameWindow() {
    SdlPlatform* window = gameWindow();
    if (!window) return;
    setDisplayModeControl(nullptr);
    setPlatform(nullptr);
    gameWindow() = nullptr;
    delete window;
    isFullscreen = false;
}

bool gameWindowExists() { return gameWindow() != nullptr && gameWindow()->isOpen(); }

void resizeViewport() {
    if (SdlPlatform* window = gameWindow()) window->resizeViewport();
}

bool enterFullscreen(int width, int height) {
    SdlPlatform* window = gameWindow();
    if (!window || width <= 0 || height <= 0) return false;
    if (!window->enterFullscreen(unsigned(width), unsigned(height))) return false;
    isFullscreen = true;
    return true;
}

void toggleFullscreen() {
    SdlPlatform* window = gameWindow();
    if (!window) return;
    if (isFullscreen) {
        window->leaveFullscreen(sizeSetting("resolutionX", 1024), sizeSetting("resolutionY", 768));
        isFullscreen = false;
    } else {
        FullscreenMode mode = findFullscreenMode();
        enterFullscreen(int(mode.width), int(mode.height));
    }
    configuration.bools["fullscreen"] = isFullscreen;
}

void setWindowedResolution(int width, int height) {
    SdlPlatform* window = gameWindow();
    if (!window || width <= 0 || height <= 0) return;
    window->leaveFullscreen(width, height);
    isFullscreen = false;
    configuration.ints["resolutionX"] = width;
    configuration.ints["resolutionY"] = height;
    configuration.bools["fullscreen"] = false;
}

std::vector<DisplaySize> enumerateDisplayModes() {
    SdlPlatform* window = gameWindow();
    return window ? window->displaySizes() : std::vector<DisplaySize>{};
}
