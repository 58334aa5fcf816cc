// The clock of a time-attack run, on a text entity of the HUD: counts the time the level is played in a
// time-attack mode, holds while paused or edited, and at its mode's end trigger stops, sounds, and
// offers the time to the best-times lists. Hidden in ordinary play.
#pragma once

#include <string>

#include "engine/Component.h"
#include "engine/EventHandler.h"

class FontSheetGraphics;
class TimerOffMessage;

class TimerLabel : public Component, public EventHandler {
public:
    TimerLabel() = default;
    // Every counter and the base part; unregistered and uninitialised.
    TimerLabel(const TimerLabel& other);

    TimerLabel* clone() const override;
    int getVersion() const override { return 0; }
    // Nothing but "end": the clock keeps nothing in files.
    void read(BaseInStream& in, int version) override;
    void write(BaseOutStream& out, int version) override;
    // Finds the text graphics, follows pause, editing, game start and the end trigger, and starts.
    void initialize() override;
    // Adds the frame time; the text changes once per whole second.
    void update(float dt) override;

    // Reads the mode being played: hidden in ordinary play, "00:00" in a time-attack mode.
    void onGameStart();
    // Counts again after a pause or editing, unless the run is over or this is ordinary play.
    void resume();
    void onTimerOff(TimerOffMessage& message);
    // Writes " Time:\n" and the elapsed time into the text graphics.
    void updateText();

    bool stopped = false;
    float fraction = 0.0f;  // seconds gathered towards the next whole second
    int seconds = 0;
    int minutes = 0;
    int hours = 0;
    FontSheetGraphics* textGraphics = nullptr;
    int mode = 0;

private:
    void setDisabled(bool value);
    void setAlpha(float alpha);
};

// A time as the clock shows it: mm:ss, with "h:" in front past an hour.
std::string clockTime(int hours, int minutes, int seconds);
// The clock's text for a time: " Time:\n", then the clock time.
std::string timerText(int hours, int minutes, int seconds);
