// An intro played over a level: picture entities shown one after another, each fading in over four
// seconds and out over five, drawn with the intro's own camera over the scene. Once the last one has
// gone, message 28 is posted every frame.
#pragma once

#include <vector>

#include "engine/Entity.h"
#include "engine/EventHandler.h"
#include "engine/GameStateComponent.h"
#include "graphics/PerspectiveCamera.h"

class alignas(16) IntroScreen : public GameStateComponent, public EventHandler {
public:
    static constexpr int introFinishedMessage = 28;
    static constexpr float fadeInSeconds = 4.0f;
    static constexpr float fadeOutSeconds = 5.0f;

    IntroScreen() = default;
    // The camera and clones of the screens; no owner, not disabled, not fading.
    IntroScreen(const IntroScreen& other);
    IntroScreen& operator=(const IntroScreen&) = delete;
    // Deletes the screens.
    ~IntroScreen() override;

    GameStateComponent* clone() const override;
    // The "GameStateComponent" part, "camera", "screens", "end".
    void read(BaseInStream& in, int version) override;
    void write(BaseOutStream& out, int version) override;
    // Readies the screens and starts the first one's fade-in.
    void initialize() override;
    void update(float dt) override;
    // The front screen only, in a viewport of its own.
    void draw() override;

    PerspectiveCamera camera;
    std::vector<Entity*> screens;  // owned; the front one is on show
    bool fadingOut = false;
};
