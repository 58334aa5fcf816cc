// The hidden window with an OpenGL 2.1 context that the drawing benchmarks run in.
#include "bench/BenchGlContext.h"

#include <GL/glew.h>
#include <SDL.h>

#include <iostream>

bool openBenchGlContext(const char* name, int width, int height) {
    static int state = 0;  // 0 not tried, 1 ready, 2 failed
    if (state) return state == 1;
    state = 2;
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        std::cerr << name << ": SDL_Init failed: " << SDL_GetError() << std::endl;
        return false;
    }
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 2);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 1);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
    SDL_Window* window = SDL_CreateWindow(name, 0, 0, width, height, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    if (!window || !SDL_GL_CreateContext(window)) {
        std::cerr << name << ": no GL context: " << SDL_GetError() << std::endl;
        return false;
    }
    glewExperimental = GL_TRUE;
    const GLenum result = glewInit();
    // Under EGL GLEW reports a missing GLX display although every entry point is loaded.
    if ((result != GLEW_OK && result != GLEW_ERROR_NO_GLX_DISPLAY) || !glCreateProgram) {
        std::cerr << name << ": glewInit failed" << std::endl;
        return false;
    }
    state = 1;
    return true;
}
