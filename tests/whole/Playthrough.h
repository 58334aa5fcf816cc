// The first level played without a window: the game's level state on the real level and its resources
// (a hidden GL context, a silent sound system), a fixed frame time, and recorded input messages (keys,
// the wheel, mouse motion) fed frame by frame. The recorder and the playthrough test share it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class Editor;
class Entity;

// One recorded input message, sent before the frame of its number.
struct RecordedInput {
    enum Kind { KeyDown, KeyUp, Wheel, MouseMove };
    int frame = 0;
    Kind kind = KeyDown;
    int key = 0;       // engine key code of a key message
    float amount = 0;  // wheel steps (positive grows)
    int dx = 0, dy = 0;  // mouse motion in pixels
};

// The recording's text: one message a line, "<frame> down|up <key>", "<frame> wheel <steps>" or
// "<frame> move <dx> <dy>"; keys are W, A, S, D or Space; '#' starts a comment. Returns false (with
// the line) on a line it cannot read.
bool readRecording(const std::string& path, std::vector<RecordedInput>& out, std::string& error);
bool writeRecording(const std::string& path, const std::vector<RecordedInput>& inputs, const std::string& header);

class Playthrough {
public:
    static constexpr float frameTime = 1.0f / 60.0f;

    // Enters the level file as the game does (resources, level, play mode) in the time-attack mode
    // given (0 for ordinary play), with a fixed random seed, and with the settings and the best-times
    // lists kept in settingsFolder (read from there, or the shipped ones, as at start-up).
    Playthrough(const std::string& levelFile, const std::string& settingsFolder, int timerMode = 0);
    ~Playthrough();
    Playthrough(const Playthrough&) = delete;
    Playthrough& operator=(const Playthrough&) = delete;

    // Sends the message now (it is delivered at the start of the next frame).
    void send(const RecordedInput& input);
    // One frame: the queued messages delivered, then the level updated by frameTime.
    void frame();
    // Sends every recorded message of this frame number, then runs the frame.
    void replayFrame(const std::vector<RecordedInput>& inputs, std::size_t& next);

    Entity* hero() const;
    int liveScoreSpheres() const;
    // Whether the end-of-first-part line and the end-of-game line were crossed, and the reward taken.
    bool firstPartEnded() const { return endOfFirstPart; }
    bool gameEnded() const { return endOfGame; }
    bool rewardTaken() const { return rewards > 0; }
    // The camera's turn about the vertical axis (the steering keys follow it).
    float cameraTurn() const;

    Editor* level = nullptr;
    int frameNumber = 0;
    int rewards = 0;
    std::vector<std::string> infoTexts;  // the info lines the level showed, in order

private:
    void noteEndLines();
    struct Listener;
    std::string previousSettingsFile;
    bool endOfFirstPart = false;
    bool endOfGame = false;
    Listener* listener = nullptr;
};
