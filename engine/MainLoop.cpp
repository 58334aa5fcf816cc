// The state-switch loop with the frame loop inside it, frame pacing, mouse capture, and the
// process-wide state they share.
#include "engine/MainLoop.h"

#include <thread>

#include "core/Configuration.h"
#include "engine/EventHandler.h"
#include "engine/GameState.h"
#include "engine/GameStateMessage.h"
#include "engine/MessageTypes.h"
#include "engine/Platform.h"

GameState* currentGameState = nullptr;
GameState* nextGameState = nullptr;
GameState* previousGameState = nullptr;
// Built during static initialisation; they hold no handlers and are never entered.
GameState restartGameState("");
GameState quitGameState("");

double currentTime = 0.0;
float frameDelta = 0.0f;
StopWatch frameStopWatch;

bool firstLoad = true;
bool windowActive = false;
bool loadingScreenUp = false;
bool mouseCaptured = false;
int viewportWidth = 0;
int viewportHeight = 0;
CursorPosition lastCursorPosition;

std::function<std::shared_ptr<void>()> loadingScreenFactory;

EventSystem* currentEventSystem() { return currentGameState; }

namespace {

bool frameRateLimited() { return configuration.getBool("limitFrameRate"); }

std::shared_ptr<void> makeLoadingScreen() {
    return loadingScreenFactory ? loadingScreenFactory() : nullptr;
}

// Load (unless restarting) and initialise the current state behind a loading screen, then announce it.
// Returns false when there is nothing that could be entered.
bool enterCurrentState() {
    if (currentGameState == &restartGameState) {
        GameState* restarted = previousGameState;
        if (!restarted || restarted == &restartGameState || restarted == &quitGameState) return false;
        std::shared_ptr<void> loadingScreen = makeLoadingScreen();
        currentGameState = restarted;
        nextGameState = restarted;
        restarted->initialize();
        sendMessage(new GameStateMessage(MessageType::StateReentered, restarted));
        return true;
    }
    std::shared_ptr<void> loadingScreen = makeLoadingScreen();
    GameState* entered = currentGameState;
    entered->load();
    entered->initialize();
    sendMessage(new GameStateMessage(MessageType::StateEntered, entered));
    firstLoad = false;
    return true;
}

void runFrame() {
    waitForNextFrame();
    pumpWindowMessages();
    frameStopWatch.start = currentTime;
    updateMessageQueues();
    currentGameState->update(frameDelta);
    if (windowActive) currentGameState->render();
}

void leaveCurrentState() {
    GameState* left = currentGameState;
    left->unload();
    if (nextGameState == &restartGameState) return;
    // A level state deletes itself here; from now on the pointer is only carried, never followed.
    left->clearResources();
    sendMessage(new GameStateMessage(MessageType::StateLeft, left));
}

}  // namespace

void runGameStates() {
    while (currentGameState && currentGameState != &quitGameState) {
        if (!enterCurrentState()) return;
        while (currentGameState == nextGameState) runFrame();
        leaveCurrentState();
        previousGameState = currentGameState;
        currentGameState = nextGameState;
    }
}

double readClock() { return static_cast<double>(platform().milliseconds()) / 1000.0; }

void waitForNextFrame() {
    for (;;) {
        currentTime = readClock();
        frameDelta = static_cast<float>(currentTime - frameStopWatch.start);
        if (!(frameDelta < 0.015f) || !frameRateLimited()) break;
        std::this_thread::yield();
    }
    if (!(frameDelta < 0.1f)) frameDelta = 0.1f;
}

void centerCursor() {
    int width = 0;
    int height = 0;
    platform().getClientSize(width, height);
    lastCursorPosition.x = width / 2;
    lastCursorPosition.y = height / 2;
    platform().warpCursor(lastCursorPosition.x, lastCursorPosition.y);
}

void setMouseCaptured(bool captured) {
    if (captured && !mouseCaptured) {
        centerCursor();
        platform().setMouseGrab(true);
        platform().setCursorVisible(false);
    } else if (!captured && mouseCaptured) {
        platform().setCursorVisible(true);
        platform().setMouseGrab(false);
    }
    mouseCaptured = captured;
}

void recaptureMouse() {
    if (!mouseCaptured) return;
    centerCursor();
    platform().setMouseGrab(true);
    platform().setCursorVisible(false);
}
