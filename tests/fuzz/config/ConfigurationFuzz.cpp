// Fuzz target: arbitrary bytes read as the settings file. The reader must end on any input without a
// crash, a hang or a sanitizer report, and the settings it kept must save and read back unchanged.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>

#include "core/Configuration.h"
#include "core/IStreamWrapper.h"
#include "core/OStreamWrapper.h"
#include "core/TextFormat.h"
#include "tests/fuzz/FuzzSupport.h"

namespace {
std::string saved(const Configuration& settings) {
    std::ostringstream text;
    OStreamWrapper out(text);
    writeConfiguration(out.objectStream(const_cast<Configuration*>(&settings), "Configuration"), settings);
    return text.str();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzsupport::discardErrorOutput();

    std::istringstream stream(std::string(reinterpret_cast<const char*>(data), size));
    IStreamWrapper in(stream, "config.cfg");
    Configuration settings;
    readValue(in, settings);

    const std::string text = saved(settings);
    std::istringstream again(text);
    IStreamWrapper secondIn(again, "saved config.cfg");
    Configuration second;
    readValue(secondIn, second);
    if (secondIn.hasFailed() || second.bools != settings.bools || second.ints != settings.ints ||
        second.strings != settings.strings || saved(second) != text) {
        std::fprintf(stderr, "settings do not read back as saved:\n%s\n", text.c_str());
        std::abort();
    }
    return 0;
}
