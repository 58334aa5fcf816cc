// The SDL window shell.
#include "platform/SdlPlatform.h"

#include <SDL.h>

#include <GL/glew.h>

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>

#include "engine/ClickMessage.h"
#include "engine/EventHandler.h"
#include "engine/KeyboardMessage.h"
#include "engine/MainLoop.h"
#include "engine/MessageTypes.h"
#include "engine/MouseMoveMessage.h"
#include "engine/MouseWheelMessage.h"
#include "platform/KeepLibrariesLoaded.h"
#include "platform/MultisampleFallback.h"
#include "platform/TweakBarLayer.h"
#include "platform/WindowEvents.h"

std::function<void(int)> SdlPlatform::exitProcess = [](int code) {
    std::cout.flush();
    std::cerr.flush();
    std::fflush(nullptr);
    std::_Exit(code);
};

SdlPlatform::SdlPlatform() = default;

SdlPlatform::~SdlPlatform() {
    if (context) {
        SDL_GL_MakeCurrent(window, nullptr);
        SDL_GL_DeleteContext(static_cast<SDL_GLContext>(context));
    }
    if (window) SDL_DestroyWindow(window);
    if (videoStarted) SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

bool SdlPlatform::startVideo() {
    if (videoStarted) return true;
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        std::cerr << "error: could not start the video system: " << SDL_GetError() << std::endl;
        return false;
    }
    // Without a display SDL falls back to a driver that shows nothing: the game would run unseen at full
    // load. Only a caller that asked for such a driver (tests) gets it.
    const char* requested = std::getenv("SDL_VIDEODRIVER");
    const char* driver = SDL_GetCurrentVideoDriver();
    const std::string current = driver ? driver : "";
    if ((requested == nullptr || *requested == 0) && (current == "offscreen" || current == "dummy")) {
        std::cerr << "error: there is no display to show the game on (script/run starts a virtual one)" << std::endl;
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        return false;
    }
    videoStarted = true;
    return true;
}

bool SdlPlatform::open(const WindowRequest& request) {
    if (window) return true;
    if (!startVideo()) return false;

    SDL_GL_ResetAttributes();
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 2);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 1);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 0);

    int width = request.width > 0 ? request.width : 1024;
    int height = request.height > 0 ? request.height : 768;
    Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN;
    flags |= request.popup ? SDL_WINDOW_BORDERLESS : SDL_WINDOW_RESIZABLE;

    // An unsupported sample count is refused when the window (its visual) is made, so each count
    // gets a window of its own. The GL library is held meanwhile: a refused window would unload the
    // driver, to be loaded again for the next count.
    const bool libraryHeld = SDL_GL_LoadLibrary(nullptr) == 0;
    grantedSamples = createWithSampleFallback(request.antiAliasing, [&](int samples) {
        SDL_GL_SetAttribute(SDL_GL_MULTISAMPLEBUFFERS, samples > 0 ? 1 : 0);
        SDL_GL_SetAttribute(SDL_GL_MULTISAMPLESAMPLES, samples);
        SDL_Window* candidate = SDL_CreateWindow(request.title.c_str(), 0, 0, width, height, flags);
        if (!candidate) return false;
        SDL_GLContext candidateContext = SDL_GL_CreateContext(candidate);
        keepLibrariesLoaded();
        if (!candidateContext) {
            SDL_DestroyWindow(candidate);
            return false;
        }
        window = candidate;
        context = candidateContext;
        return true;
    });
    if (libraryHeld) SDL_GL_UnloadLibrary();
    if (grantedSamples < 0) {
        std::cerr << "error: could not create the game window: " << SDL_GetError() << std::endl;
        return false;
    }
    SDL_GL_MakeCurrent(window, static_cast<SDL_GLContext>(context));
    SDL_ShowWindow(window);
    SDL_RaiseWindow(window);
    return true;
}

std::uint64_t SdlPlatform::milliseconds() { return SDL_GetTicks64(); }

void SdlPlatform::pumpWindowMessages() {
    SDL_Event event;
    std::vector<WindowInput> inputs;
    while (SDL_PollEvent(&event)) {
        WindowInputState state;
        state.mouseCaptured = mouseCaptured;
        getClientSize(state.clientWidth, state.clientHeight);
        inputs.clear();
        translateWindowEvent(event, state, inputs);
        for (const WindowInput& input : inputs) handle(input);
    }
}

void SdlPlatform::swapBuffers() {
    if (window) SDL_GL_SwapWindow(window);
}

void SdlPlatform::setSwapInterval(int interval) {
    if (window) SDL_GL_SetSwapInterval(interval);
}

bool SdlPlatform::isMinimised() { return window && (SDL_GetWindowFlags(window) & SDL_WINDOW_MINIMIZED) != 0; }

void SdlPlatform::getClientSize(int& width, int& height) {
    if (window) {
        SDL_GetWindowSize(window, &width, &height);
    } else {
        width = viewportWidth;
        height = viewportHeight;
    }
}

void SdlPlatform::warpCursor(int x, int y) {
    if (window) SDL_WarpMouseInWindow(window, x, y);
}

void SdlPlatform::setMouseGrab(bool grabbed) {
    // Keeps the mouse messages coming while a button is held outside the window; the cursor is
    // held in place by warping, not by confinement. Refused without keyboard focus, harmlessly.
    if (window) SDL_CaptureMouse(grabbed ? SDL_TRUE : SDL_FALSE);
}

void SdlPlatform::setCursorVisible(bool visible) { SDL_ShowCursor(visible ? SDL_ENABLE : SDL_DISABLE); }

std::vector<DisplaySize> SdlPlatform::displaySizes() {
    std::vector<DisplaySize> sizes;
    if (!videoStarted) return sizes;
    int display = window ? SDL_GetWindowDisplayIndex(window) : 0;
    if (display < 0) display = 0;
    int count = SDL_GetNumDisplayModes(display);
    for (int i = 0; i < count; ++i) {
        SDL_DisplayMode mode;
        if (SDL_GetDisplayMode(display, i, &mode) == 0 && mode.w > 0 && mode.h > 0)
            sizes.push_back(DisplaySize{mode.w, mode.h});
    }
    // Some drivers list no modes at all; the desktop's own size is always there to be had.
    SDL_DisplayMode desktop;
    if (sizes.empty() && SDL_GetDesktopDisplayMode(display, &desktop) == 0 && desktop.w > 0 && desktop.h > 0)
        sizes.push_back(DisplaySize{desktop.w, desktop.h});
    return distinctDisplaySizes(sizes);
}

std::vector<FullscreenMode> SdlPlatform::displayModes() {
    std::vector<FullscreenMode> modes;
    for (const DisplaySize& size : displaySizes())
        modes.push_back(FullscreenMode{unsigned(size.width), unsigned(size.height)});
    return modes;
}

namespace {

// The display mode for a size at the desktop's depth and rate, when the display has one exactly.
bool fullscreenModeFor(SDL_Window* window, unsigned width, unsigned height, SDL_DisplayMode& mode) {
    if (width == 0 || height == 0 || width > 65536 || height > 65536) return false;
    int display = window ? SDL_GetWindowDisplayIndex(window) : 0;
    if (display < 0) display = 0;
    SDL_DisplayMode wanted;
    if (SDL_GetDesktopDisplayMode(display, &wanted) != 0) return false;
    SDL_DisplayMode desktop = wanted;
    wanted.w = int(width);
    wanted.h = int(height);
    if (SDL_GetClosestDisplayMode(display, &wanted, &mode)) return mode.w == int(width) && mode.h == int(height);
    // A display without a mode list still takes its desktop size.
    mode = desktop;
    return desktop.w == int(width) && desktop.h == int(height);
}

}  // namespace

bool SdlPlatform::testFullscreenMode(unsigned width, unsigned height) {
    SDL_DisplayMode mode;
    return videoStarted && fullscreenModeFor(window, width, height, mode);
}

bool SdlPlatform::enterFullscreen(unsigned width, unsigned height) {
    SDL_DisplayMode mode;
    if (!window || !fullscreenModeFor(window, width, height, mode)) return false;
    if (SDL_SetWindowDisplayMode(window, &mode) != 0 || SDL_SetWindowFullscreen(window, SDL_WINDOW_FULLSCREEN) != 0) {
        std::cerr << "error: could not switch to full screen: " << SDL_GetError() << std::endl;
        SDL_SetWindowFullscreen(window, 0);
        return false;
    }
    isFullscreenNow = true;
    return true;
}

void SdlPlatform::leaveFullscreen(int width, int height) {
    if (!window) return;
    SDL_SetWindowFullscreen(window, 0);
    SDL_SetWindowBordered(window, SDL_TRUE);
    SDL_SetWindowResizable(window, SDL_TRUE);
    SDL_SetWindowSize(window, width > 0 ? width : 1024, height > 0 ? height : 768);
    SDL_SetWindowPosition(window, 0, 0);
    SDL_ShowWindow(window);
    isFullscreenNow = false;
}

void SdlPlatform::resizeViewport() {
    int width = 0, height = 0;
    if (window) SDL_GL_GetDrawableSize(window, &width, &height);
    viewportWidth = width;
    viewportHeight = height;
    if (context) glViewport(0, 0, width, height);
}

void SdlPlatform::handle(const WindowInput& input) {
    switch (input.kind) {
    case WindowInput::KeyDown:
        sendMessage(new KeyboardMessage(MessageType::KeyDown, input.code));
        break;
    case WindowInput::KeyUp:
        sendMessage(new KeyboardMessage(MessageType::KeyUp, input.code));
        break;
    case WindowInput::Character:
        // The one input acted on at once: the property bars take typed text in play and edit mode.
        TwKeyPressed(input.code, 0);
        break;
    case WindowInput::MouseMove:
        sendMessage(new MouseMoveMessage(lastCursorPosition.x, lastCursorPosition.y, input.x, input.y));
        break;
    case WindowInput::ButtonDown:
        sendMessage(new ClickMessage(MessageType::MouseDown, input.code));
        break;
    case WindowInput::ButtonUp:
        sendMessage(new ClickMessage(MessageType::MouseUp, input.code));
        break;
    case WindowInput::Wheel:
        sendMessage(new MouseWheelMessage(input.amount));
        break;
    case WindowInput::Activated:
        sendMessage(new Message(MessageType::WindowActive));
        break;
    case WindowInput::Minimised:
        sendMessage(new Message(MessageType::WindowInactive));
        break;
    case WindowInput::MovedOrResized:
        resizeViewport();
        sendMessage(new Message(MessageType::WindowResized));
        break;
    case WindowInput::CloseRequest:
        // During loading there is no frame to finish; the process ends without shutting down.
        if (loadingScreenUp)
            exitProcess(0);
        else
            nextGameState = &quitGameState;
        break;
    }
}
