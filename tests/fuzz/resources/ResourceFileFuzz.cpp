// Fuzz target: arbitrary bytes as a resource file, read into a game state's table with a GL context
// and a silent sound system present, the way a level loads its resources. It must end on any input
// without a crash, a hang or a sanitizer report, every stored resource must carry its table name, and
// every kind of resource must then be usable: models, textures, fonts, programs and sounds.
#include <cstdint>
#include <string>

#include "audio/Sound.h"
#include "engine/GameState.h"
#include "engine/MainLoop.h"
#include "tests/fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzsupport::quietStart();
    fuzzsupport::ensureGl();
    fuzzsupport::ensureSound();
    const std::string input = fuzzsupport::writeInput("input.res", data, size);

    GameState* previous = currentGameState;
    {
        GameState state;
        currentGameState = &state;
        state.loadResourceFile(input);
        for (auto& [name, resource] : state.resources) {
            if (!resource) fuzzsupport::fail("a null resource is stored under \"" + name + "\"");
            if (resource->getName() != name)
                fuzzsupport::fail("resource \"" + name + "\" carries the name \"" + resource->getName() + "\"");
            if (auto* sound = dynamic_cast<Sound*>(resource.get())) {
                Sound copy(*sound);
                copy.playAtOwnPosition();
                copy.stop();
            }
        }
        state.clearResources();
    }
    currentGameState = previous;
    return 0;
}
