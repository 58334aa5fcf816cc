// Leafing through pages, and the two screens made of them.
#include "ui/PagedMenu.h"

#include "core/SerializeType.h"
#include "engine/KeyboardMessage.h"
#include "engine/MessageTypes.h"

namespace {

const auto& howToPlayType = registerType<HowToPlayMenu>("HowToPlayMenu");
const auto& creditsType = registerType<Credits>("Credits");

}  // namespace

PagedMenu::PagedMenu(const char* file) : Menu(3) { loadFile(file); }

void PagedMenu::bindActions() {
    bindAction(0, menuBack);
    bindAction(1, [this] { showNextPage(); });
    bindAction(2, [this] { showPreviousPage(); });
}

void PagedMenu::initialize() {
    Menu::initialize();
    listen<KeyboardMessage>(MessageType::KeyDown, [this](Menu&, KeyboardMessage& message) { onKeyDown(message); });
    listen<KeyboardMessage>(MessageType::KeyUp, [this](Menu&, KeyboardMessage& message) { onKeyUp(message); });
}

void PagedMenu::showNextPage() {
    if (currentTex != none) showPage(currentTex + 1);
}

void PagedMenu::showPreviousPage() {
    if (currentTex != none && currentTex > 0) showPage(currentTex - 1);
}

void PagedMenu::onKeyDown(KeyboardMessage& message) {
    if (!active) return;
    if (message.key == keyD || message.key == keyRight)
        showNextPage();
    else if (message.key == keyA || message.key == keyLeft)
        showPreviousPage();
}

void PagedMenu::onKeyUp(KeyboardMessage& message) {
    if (active && (message.key == keySpace || message.key == keyEnter)) chooseItem(0);
}

HowToPlayMenu::HowToPlayMenu() : PagedMenu(file) {}

Menu* HowToPlayMenu::clone() const {
    auto* copy = new HowToPlayMenu(*this);
    copy->bindActions();
    return copy;
}

Credits::Credits() : PagedMenu(file) {}

Menu* Credits::clone() const {
    auto* copy = new Credits(*this);
    copy->bindActions();
    return copy;
}
