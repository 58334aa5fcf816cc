// The fuzz targets' shared set-up (see FuzzSupport.h).
#include "tests/fuzz/FuzzSupport.h"

#include <GL/glew.h>
#include <SDL.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>

#include "audio/Sound.h"
#include "audio/SoundSystem.h"

namespace fuzzsupport {

namespace {
void removeWorkFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(workFolder(), ignored);
}
}  // namespace

const std::string& workFolder() {
    // Never destroyed: exit handlers still need it.
    static const std::string* folder = [] {
        char pattern[] = "/tmp/tovik-fuzz-XXXXXX";
        const char* made = mkdtemp(pattern);
        if (!made) std::abort();
        return new std::string(std::string(made) + "/");
    }();
    return *folder;
}

void quietStart() {
    static bool done = false;
    if (done) return;
    done = true;
    workFolder();
    std::atexit(removeWorkFolder);
    discardErrorOutput();
}

std::string writeInput(const std::string& name, const std::uint8_t* data, std::size_t size) {
    const std::string path = workFolder() + name;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    return path;
}

std::string fileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void fail(const std::string& what) {
    std::fprintf(stderr, "fuzz: %s\n", what.c_str());
    std::abort();
}

void ensureGl() {
    static bool ready = false;
    if (ready) return;
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    if (SDL_Init(SDL_INIT_VIDEO) != 0) fail(std::string("no SDL video: ") + SDL_GetError());
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 2);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 1);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
    SDL_Window* window = SDL_CreateWindow("tovik-fuzz", 0, 0, 64, 64, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    if (!window) fail(std::string("no window: ") + SDL_GetError());
    if (!SDL_GL_CreateContext(window)) fail(std::string("no GL context: ") + SDL_GetError());
    glewExperimental = GL_TRUE;
    // Under an EGL context GLEW built for GLX reports "no GLX display" although it loaded everything.
    const GLenum status = glewInit();
    if ((status != GLEW_OK && status != GLEW_ERROR_NO_GLX_DISPLAY) || !glCreateProgram) fail("GLEW did not load");
    while (glGetError() != GL_NO_ERROR) {
    }
    ready = true;
}

void ensureSound() {
    if (fmodSystem) return;
    SoundLayer::systemCreate(&fmodSystem);
    fmodSystem->setOutput(SoundLayer::OutputType::noSound);
    fmodSystem->init(100, SoundLayer::InitFlag::rightHanded3D, nullptr);
    fmodSystem->set3DSettings(0.2f, 100.0f, 1.0f);
}

}  // namespace fuzzsupport

// What the GL driver, the window layer and the sound library keep until exit is theirs, not a leak of
// the readers under test.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libGLX\nleak:libGL.so\nleak:libLLVM\nleak:swrast\nleak:libgallium\nleak:libglapi\nleak:libEGL\n"
           "leak:libSDL2\nleak:libX11\nleak:libdbus\nleak:libopenal\nleak:libsndfile\nleak:libvorbis\n"
           "leak:libogg\nleak:libdrm\nleak:libxcb\nleak:libexpat\n";
}
