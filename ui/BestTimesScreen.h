// The best-times screen: up to five lines for each time-attack mode, a name and a time on each, over
// the lines the menu file gives (headings and placeholders). Its one item goes back.
#pragma once

#include <vector>

#include "game/BestTime.h"
#include "ui/Menu.h"

class KeyboardMessage;

class BestTimesScreen : public Menu {
public:
    static constexpr const char* file = "Content/Menus/bestTimes.menu";

    // Reads its menu file and binds the back item.
    BestTimesScreen();
    // Clones of the line entities: each screen owns its own.
    BestTimesScreen(const BestTimesScreen& other);
    ~BestTimesScreen() override;

    Menu* clone() const override;
    // The "Menu" part, "extraTexs", "end".
    void read(BaseInStream& in, int version) override;
    void write(BaseOutStream& out, int version) override;
    void bindActions() override;
    // Readies the lines and fills them from the best-times lists as they are now.
    void initialize() override;
    void update(float dt) override;
    void draw(Camera& camera) override;

    // Writes the two lists into the lines: the first list from line 1 on, the second from line
    // linesPerList + 2 on; lines without an entry (and lines 0 and linesPerList + 1) keep their text.
    void fillLines(const std::vector<BestTime>& timeAttack, const std::vector<BestTime>& superTimeAttack);

    std::vector<Entity*> extraTexs;  // owned
    int linesPerList = 5;
};
