// Fuzz target: arbitrary bytes as a level file, entered by the game's level state as the main loop
// enters it (resources, then the level), run for two frames and left. It must end on any input without
// a crash, a hang or a sanitizer report; what it saved must load and save again to the same text.
#include <cstdint>
#include <string>

#include "editor/Editor.h"
#include "engine/Logic.h"
#include "engine/MainLoop.h"
#include "tests/fuzz/FuzzSupport.h"

namespace {

// Enters the level in the file, saves it to `savedTo`, runs `frames` frames, leaves it and frees it.
// Returns whether the save succeeded.
bool enterSaveAndLeave(const std::string& file, const std::string& savedTo, int frames) {
    GameState* previous = currentGameState;
    auto* level = new Editor(file);
    currentGameState = level;
    level->load();
    level->initialize();
    const bool saved = level->save(savedTo);
    for (int i = 0; i < frames; ++i) {
        currentTime += 1.0 / 60.0;
        frameDelta = 1.0f / 60.0f;
        updateMessageQueues();
        level->update(frameDelta);
    }
    level->unload();
    level->clearResources();  // frees the level too
    currentGameState = previous;
    return saved;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzsupport::quietStart();
    fuzzsupport::ensureGl();
    fuzzsupport::ensureSound();
    static bool typesReady = (initializeLogicTypeIds(), true);
    (void)typesReady;

    const std::string& folder = fuzzsupport::workFolder();
    const std::string input = fuzzsupport::writeInput("input.lvl", data, size);
    if (!enterSaveAndLeave(input, folder + "saved.lvl", 2)) return 0;
    const std::string first = fuzzsupport::fileText(folder + "saved.lvl");
    if (!enterSaveAndLeave(folder + "saved.lvl", folder + "again.lvl", 0))
        fuzzsupport::fail("a level the game saved could not be saved again");
    if (fuzzsupport::fileText(folder + "again.lvl") != first)
        fuzzsupport::fail("a saved level does not load and save to the same text:\n" + first);
    return 0;
}
