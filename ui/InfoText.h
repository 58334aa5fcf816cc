// The HUD's information lines ("Power-up!", records, unlocks, the time-attack introduction): each line
// fades in, stays for a time that grows with its words, fades out and makes way for the next.
#pragma once

#include <list>
#include <string>

#include "engine/EventHandler.h"
#include "ui/TextureTextComponent.h"

class InfoText : public TextureTextComponent, public EventHandler {
public:
    struct InfoLine {
        std::string text;
        float secondsLeft = 0.0f;  // time still to stay at full visibility
    };

    InfoText() = default;
    // The text fields; no queued lines and no registrations.
    InfoText(const InfoText& other) : TextureTextComponent(other), EventHandler(other) {}

    Component* clone() const override;
    void read(BaseInStream& in, int version) override;
    void write(BaseOutStream& out, int version) override;
    // Renders, queues the introduction of a time-attack run, and listens for game start and lines.
    void initialize() override;
    // Fades the front line in, counts its time, fades it out and brings on the next.
    void update(float dt) override;

    // Queues a line; the first of an empty queue shows at once.
    void pushLine(std::string line);
    // Drops every line and queues the introduction of the mode being played.
    void resetLines();

    std::list<InfoLine> lines;
};

// Seconds a line stays: 0.75 per word (blank-separated), at most 2.75.
float infoLineTime(const std::string& line);
