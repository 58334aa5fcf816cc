// What the window shows while a game state loads: on the first load the maker's and the team's logos,
// then a loading picture with a sphere that rolls from left to right as the load progresses. It keeps the
// window responsive at every progress report and redraws at most about thirty times a second.
#pragma once

#include "core/Quaternion.h"
#include "core/Vector4.h"
#include "engine/Entity.h"
#include "engine/EventHandler.h"
#include "graphics/PerspectiveCamera.h"

class ClickMessage;
class KeyboardMessage;
class PercentLoadedMessage;

class alignas(16) LoadingScreen : public EventHandler {
public:
    // Seconds each splash logo stays up.
    static constexpr double splashSeconds = 2.5;
    static constexpr float sphereRadius = 0.28f;
    // The sphere's path: from x -0.65 at the start of the load to 0.60 at its end.
    static constexpr float sphereTravel = 1.25f;
    // Shortest time from the end of a drawn frame to the start of the next: a software renderer takes
    // tens of milliseconds a frame, and a large level reports progress for every entity.
    static constexpr double minimumFrameSeconds = 1.0 / 30.0;

    // Builds the pictures, turns vertical sync off and draws the first frame when the window is active.
    LoadingScreen();
    // Draws the last report's frame if it was held back, then turns vertical sync back on; the entities
    // and registrations go with the object.
    ~LoadingScreen() override;
    LoadingScreen(const LoadingScreen&) = delete;
    LoadingScreen& operator=(const LoadingScreen&) = delete;

    // Reads the clock, pumps the window, delivers due messages and moves the sphere; redraws unless the
    // last frame ended less than minimumFrameSeconds ago (that report's frame then waits for the next
    // one, or for the end of the load).
    void onPercentLoaded(PercentLoadedMessage& message);
    // Space, Enter or Escape (and any click) during the splash shows the small "continue" mark.
    void onKey(KeyboardMessage& message);
    void onClick(ClickMessage& message);
    // One frame at this progress, then the buffer swap.
    void draw(float progress);

    // Which picture a frame at time `now` shows; the group logo's time starts with its first frame.
    enum class View { makerLogo, groupLogo, progress };
    View currentView(double now);

    // How far along its path (0 to 1) the sphere stands at this progress, counted from the progress
    // reached when the splash ended. A splash that lasted the whole load leaves no span to divide:
    // the sphere then stands at the end of its path.
    static float sphereFraction(float progress, float progressAtSplashEnd);
    // The rotation after rolling a ball of this radius dx to the right on a window of this aspect
    // (width over height), renormalised.
    static Quaternion rollRotation(Quaternion rotation, float dx, float radius, float aspect);

    PerspectiveCamera camera;
    Entity loadingPicture;
    Entity progressSphere;
    Entity progressTarget;
    Entity makerLogo;
    Entity groupLogo;
    Entity continueHint;
    bool continuePressed = false;
    Vector4 progressBase{-0.65f, -0.7f, -1.0f, 1.0f};
    double splashStartTime = 0.0;
    bool groupLogoPending = true;
    double groupLogoStartTime = 0.0;
    float progressAtSplashEnd = 0.0f;
    // When the last frame was finished, and the progress of a report whose frame was held back.
    bool frameDrawn = false;
    double lastFrameTime = 0.0;
    bool framePending = false;
    float pendingProgress = 0.0f;
};
