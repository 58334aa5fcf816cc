// Fuzz target: arbitrary bytes read as a menu file over one best-times screen (the menu part, items,
// pictures and extra entities). The reader must end on any input without a crash, a hang or a
// sanitizer report; what it kept holds no missing item, writes out, and its actions can be chosen.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>

#include "core/IStreamWrapper.h"
#include "core/OStreamWrapper.h"
#include "core/TextFormat.h"
#include "tests/fuzz/FuzzSupport.h"
#include "ui/BestTimesScreen.h"

namespace {
BestTimesScreen& screen() {
    static BestTimesScreen* menu = [] {
        fuzzsupport::discardErrorOutput();
        return new BestTimesScreen();
    }();
    return *menu;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    BestTimesScreen& menu = screen();
    std::istringstream stream(std::string(reinterpret_cast<const char*>(data), size));
    IStreamWrapper in(stream, "fuzz");
    readValue(in, static_cast<Menu&>(menu));

    for (Entity* item : menu.options)
        if (!item) std::abort();
    for (Entity* line : menu.extraTexs)
        if (!line) std::abort();

    std::ostringstream text;
    {
        OStreamWrapper out(text);
        writeObject(out, static_cast<Menu&>(menu));
    }
    // Without a menu stack the back item does nothing; the bindings must hold.
    for (std::size_t i = 0; i < menu.options.size(); ++i) menu.chooseItem(i);
    menu.selectNext();
    menu.selectPrevious();
    return 0;
}
