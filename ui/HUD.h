// The heads-up display of a running level: entities read from a HUD file (labels, the size gauge, the
// guidance arrow, the time-attack clock), updated with the level and drawn over the scene, each into
// its own small viewport with the HUD's own camera. Hidden while the level is paused.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "engine/Entity.h"
#include "engine/EventHandler.h"
#include "engine/GameStateComponent.h"
#include "graphics/PerspectiveCamera.h"

class PauseMessage;

class alignas(16) HUD : public GameStateComponent, public EventHandler {
public:
    HUD() = default;
    // File name, camera, "disabled" and clones of the entities; no registrations.
    HUD(const HUD& other);
    HUD& operator=(const HUD&) = delete;
    ~HUD() override;

    GameStateComponent* clone() const override;
    int getVersion() const override { return 2; }
    // Version 2: the "GameStateComponent" part, "fileName", "camera", "entities"; version 1: "entities";
    // version 0: "arrow", one entity.
    void read(BaseInStream& in, int version) override;
    void write(BaseOutStream& out, int version) override;
    // Reads the HUD file unless the entities are there already, initialises them as screen entities
    // (outside the level's physics) and follows pausing.
    void initialize() override;
    void update(float dt) override;
    // Over the scene: every entity whose Graphics is enabled, in its own viewport.
    void draw() override;
    // The entities go; the next initialize reads the file again.
    void unload() override;

    void onPause(PauseMessage& message);
    // Reads fileName (found like every data file) into this HUD. A file that cannot be read is reported
    // in one line and leaves no entities.
    void loadFile();

    std::string fileName;
    PerspectiveCamera camera;
    std::vector<std::unique_ptr<Entity>> entities;

private:
    bool pauseRegistered = false;
};
