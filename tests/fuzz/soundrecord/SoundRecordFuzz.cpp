// Fuzz target: arbitrary bytes as one sound record of a resource file (either version), read into a
// Sound on a silent sound system and played. It must end on any input without a crash, a hang or a
// sanitizer report; a record that named no playable file leaves a sound that plays nothing.
#include <cstdint>
#include <sstream>
#include <string>

#include "audio/Sound.h"
#include "core/IStreamWrapper.h"
#include "core/TextFormat.h"
#include "engine/GameState.h"
#include "tests/fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzsupport::quietStart();
    fuzzsupport::ensureSound();
    if (size < 1) return 0;
    // The first byte picks the record's version; the rest is the record.
    const int version = data[0] & 1;
    std::istringstream text(std::string(reinterpret_cast<const char*>(data + 1), size - 1));
    IStreamWrapper in(text, "sound record");
    Sound sound;
    sound.read(in, version);
    if (!sound.isLoaded() && sound.hasChannel()) fuzzsupport::fail("an unloaded sound holds a channel");
    Sound copy(sound);
    copy.play(Vector4(1.0f, 2.0f, 3.0f, 1.0f));
    if (!sound.isLoaded() && copy.isPlaying()) fuzzsupport::fail("a sound without a file plays");
    copy.togglePause();
    copy.stop();
    if (copy.isPlaying()) fuzzsupport::fail("a stopped sound still plays");
    return 0;
}
