// Fuzz target: arbitrary bytes read as "lists.tm". The reader must end on any input without a crash, a
// hang or a sanitizer report, the lists it kept must save and read back unchanged, and every entry
// must show as one line of the best-times screen.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>

#include "core/IStreamWrapper.h"
#include "core/OStreamWrapper.h"
#include "core/TextFormat.h"
#include "game/BestTimesLists.h"
#include "tests/fuzz/FuzzSupport.h"

namespace {
std::string saved(const BestTimesLists& lists) {
    std::ostringstream text;
    OStreamWrapper out(text);
    writeValue(out, lists);
    return text.str();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzsupport::discardErrorOutput();

    std::istringstream stream(std::string(reinterpret_cast<const char*>(data), size));
    IStreamWrapper in(stream, "lists.tm");
    BestTimesLists lists;
    readValue(in, lists);

    for (const auto* list : {&lists.atkMode, &lists.superAtk})
        for (const BestTime& entry : *list)
            if (bestTimeLine(entry).size() < 25) std::abort();

    const std::string text = saved(lists);
    std::istringstream again(text);
    IStreamWrapper secondIn(again, "saved lists.tm");
    BestTimesLists second;
    readValue(secondIn, second);
    if (secondIn.hasFailed() || second.atkMode != lists.atkMode || second.superAtk != lists.superAtk ||
        saved(second) != text) {
        std::fprintf(stderr, "best times do not read back as saved:\n%s\n", text.c_str());
        std::abort();
    }
    return 0;
}
