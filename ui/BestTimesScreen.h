// The best-times screen: up to five lines for each time-attack mode, a name and a time on each, over
// the lines the menu file gives (headings and placeholders). Its one item goes back.
#pragma once

#include <string>
#include <vector>

#include "ui/Menu.h"

class KeyboardMessage;

// One line's worth of a best-times entry.
struct BestTimeLine {
    std::string name;
    int minutes = 0;
    int seconds = 0;
};

class BestTimesScreen : public Menu {
public:
    static constexpr const char* file = "Content/Menus/bestTimes.menu";
    // Characters of the name on a line: longer names are cut, shorter ones padded with blanks.
    static constexpr std::size_t nameWidth = 15;

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
    // Readies the lines and fills them from the best-times lists.
    void initialize() override;
    void update(float dt) override;
    void draw(Camera& camera) override;

    // Writes the two lists into the lines: the first list from line 1 on, the second from line
    // linesPerList + 2 on; lines without an entry (and lines 0 and linesPerList + 1) keep their text.
    void fillLines(const std::vector<BestTimeLine>& timeAttack, const std::vector<BestTimeLine>& superTimeAttack);

    std::vector<Entity*> extraTexs;  // owned
    int linesPerList = 5;
};

// "name     mm:ss": the name cut or padded to 15 characters, five blanks, minutes and seconds as two
// digits each (minutes held to 0..99 and seconds to 0..59, so a damaged file cannot widen the line).
std::string formatBestTimeLine(const BestTimeLine& entry);

// The entries of the two time-attack lists, best first.
std::vector<BestTimeLine> timeAttackBestTimes();
std::vector<BestTimeLine> superTimeAttackBestTimes();
