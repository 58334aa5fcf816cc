// Start-up and shut-down of the game process.
#include "platform/Application.h"

#include <ctime>
#include <iostream>
#include <memory>

#include "core/Configuration.h"
#include "core/DebugOutput.h"
#include "core/Function.h"
#include "core/Random.h"
#include "editor/Editor.h"
#include "engine/Input.h"
#include "engine/Logic.h"
#include "engine/MainLoop.h"
#include "engine/MessageDispatcher.h"
#include "graphics/FreetypeFont.h"
#include "platform/LevelArgument.h"
#include "platform/TweakBarLayer.h"
#include "platform/TweakBarWrapper.h"
#include "platform/WindowShell.h"
#include "ui/LoadingScreen.h"

#if __has_include("audio/Audio.h")
#include "audio/Audio.h"
#define TOVIK_HAS_AUDIO 1
#endif

void registerFunctions() {
    // The mesh, texture and pattern builders register themselves with their libraries.
    registerCoreFunctions();
}

bool initializeApplication() {
    seedRandom(static_cast<unsigned>(std::time(nullptr)));
    redirectStdStreams();
    new Input::InputEventHandler;  // deletes itself on the shutdown message
    initializeFontLibrary();
    if (!createGameWindow("Tovik")) {
        std::cerr << "Tovik cannot start: no game window could be opened" << std::endl;
        return false;
    }
#ifdef TOVIK_HAS_AUDIO
    Audio::initializeSystem();
#endif
    registerFunctions();
    TweakBarWrapper::initialize();
    initializeLogicTypeIds();
    return true;
}

namespace {

// Releases what start-up made: the handlers (the window goes with its handler's shutdown message) and
// FreeType. Font sheets and the property bars' drawing hold GL objects, so they go while the context is
// still there (the window's handler answers the shutdown message before the bars' handler).
void shutDown() {
    clearFontSheetCache();
    TwTerminate();
    shutdownMessaging();
    shutdownFontLibrary();
}

}  // namespace

int runApplication(const std::vector<std::string>& arguments) {
    if (!initializeApplication()) {
        shutDown();
        return 1;
    }
    const std::string startingState = configuration.getString("startingState");
    applyLevelArgument(arguments, startingState);

    loadingScreenFactory = [] { return std::shared_ptr<void>(std::make_shared<LoadingScreen>()); };
    GameState* first = new Editor(startingState);
    frameStopWatch.start = currentTime;
    nextGameState = first;
    currentGameState = first;
    previousGameState = first;
    runGameStates();
    loadingScreenFactory = nullptr;
    shutDown();
    return 0;
}
