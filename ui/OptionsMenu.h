// The settings screen: full screen on and off, sound on and off, a window resolution chosen with the
// left and right keys (or by clicking beside the label) and applied by choosing it, and back. Three
// extra entities show the state: full screen, sound and the chosen resolution. The settings file is
// written when the screen goes.
#pragma once

#include <vector>

#include "platform/DisplayModes.h"
#include "ui/Menu.h"

class KeyboardMessage;

class OptionsMenu : public Menu {
public:
    static constexpr const char* file = "Content/Menus/options.menu";
    // Extra entities by place: the full-screen and sound indicators and the resolution label.
    enum Extra { fullscreenIndicator = 0, soundIndicator = 1, resolutionLabel = 2, extrasNeeded = 3 };
    // The item whose clicks are split by where the cursor stands.
    static constexpr std::size_t resolutionItem = 2;

    // Reads its menu file and binds the four actions.
    OptionsMenu();
    // Clones of the extra entities: each screen owns its own.
    OptionsMenu(const OptionsMenu& other);
    // Writes the settings file, then deletes the extra entities.
    ~OptionsMenu() override;

    Menu* clone() const override;
    // The "Menu" part, "extraTexs", "end".
    void read(BaseInStream& in, int version) override;
    void write(BaseOutStream& out, int version) override;
    void bindActions() override;
    // Lists the display modes (the largest first and shown) and shows the settings.
    void initialize() override;
    void update(float dt) override;
    void draw(Camera& camera) override;
    // On the resolution item a click left or right of the label steps through the sizes; near its
    // centre it applies the size shown. Elsewhere the highlighted item is chosen.
    void click(ClickMessage& message) override;

    void toggleFullscreenItem();
    void toggleMuteItem();
    void applyResolution();
    void showFullscreenIndicator();
    void showSoundIndicator();
    void showResolutionLabel();
    // Steps the chosen size while the resolution item is highlighted (no wrap); the label is redrawn
    // in any case.
    void stepResolution(bool forward);
    void onKeyDown(KeyboardMessage& message);

    std::vector<DisplaySize> resolutionList;
    std::size_t currentResolution = 0;
    std::vector<Entity*> extraTexs;  // owned
};
