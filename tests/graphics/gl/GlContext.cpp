// The shared test context: an SDL window kept hidden, GL 2.1 compatibility, GLEW loaded.
#include "graphics/gl/GlContext.h"

#include <SDL.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <unistd.h>

#include "platform/KeepLibrariesLoaded.h"

namespace {

SDL_Window* window = nullptr;
SDL_GLContext context = nullptr;
bool triedOnce = false;

void destroyContext() {
    if (context) SDL_GL_DeleteContext(context);
    if (window) SDL_DestroyWindow(window);
    context = nullptr;
    window = nullptr;
    SDL_Quit();
}

}  // namespace

bool GlContext::ensure() {
    if (context) {
        SDL_GL_MakeCurrent(window, context);
        return true;
    }
    if (triedOnce) return false;
    triedOnce = true;
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        std::cerr << "test context: SDL_Init failed: " << SDL_GetError() << std::endl;
        return false;
    }
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 2);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 1);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
    window = SDL_CreateWindow("tovik-test", 0, 0, width, height, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    if (!window) {
        std::cerr << "test context: no window: " << SDL_GetError() << std::endl;
        SDL_Quit();
        return false;
    }
    context = SDL_GL_CreateContext(window);
    keepLibrariesLoaded();
    if (!context) {
        std::cerr << "test context: no GL context: " << SDL_GetError() << std::endl;
        SDL_DestroyWindow(window);
        window = nullptr;
        SDL_Quit();
        return false;
    }
    SDL_GL_MakeCurrent(window, context);
    glewExperimental = GL_TRUE;
    GLenum status = glewInit();
    // Under an EGL context GLEW built for GLX reports "no GLX display" although it loaded everything.
    if (status != GLEW_OK && status != GLEW_ERROR_NO_GLX_DISPLAY) {
        std::cerr << "test context: glewInit failed: " << status << std::endl;
        destroyContext();
        return false;
    }
    if (!glCreateProgram || !glGenBuffers) {
        std::cerr << "test context: GL 2 entry points missing" << std::endl;
        destroyContext();
        return false;
    }
    std::atexit(destroyContext);
    drainErrors();
    return true;
}

int GlContext::drainErrors() {
    int count = 0;
    while (glGetError() != GL_NO_ERROR && count < 1000) ++count;
    return count;
}

std::vector<std::uint8_t> GlContext::readPixels(int x, int y, int w, int h) {
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(w) * h * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, y, w, h, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}

void GlTest::SetUp() {
    ASSERT_TRUE(GlContext::ensure()) << "no headless GL context (SDL_VIDEODRIVER=offscreen?)";
    glViewport(0, 0, GlContext::width, GlContext::height);
    glUseProgram(0);
    glBindTexture(GL_TEXTURE_2D, 0);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    GlContext::drainErrors();
}

std::string writeTempFile(const std::string& name, const std::string& text) {
    namespace fs = std::filesystem;
    const fs::path folder = fs::temp_directory_path() / ("tovik-gl-test-" + std::to_string(::getpid()));
    fs::create_directories(folder);
    const fs::path path = folder / name;
    std::ofstream out(path, std::ios::binary);
    out << text;
    return path.string();
}
