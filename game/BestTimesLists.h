// The best times of the two time-attack modes, kept in "lists.tm" in the settings folder: read once at
// start-up, offered every finished run by the clock, saved whole after every record, and shown by the
// best-times screen.
#pragma once

#include <string>
#include <vector>

#include "game/BestTime.h"

class BaseInStream;
class BaseOutStream;

class BestTimesLists {
public:
    BestTimesLists() = default;
    virtual ~BestTimesLists() = default;

    virtual int getVersion() const { return 0; }
    // "atkMode" and "superAtk" in any order, until "end"; entries are appended in file order.
    void read(BaseInStream& in, int version);
    void write(BaseOutStream& out, int version) const;

    // Reads the lists kept at keptFile, or, when there is none yet, the copy shipped with the game
    // (found like any data file); later saves go to keptFile. A file that cannot be read whole is
    // reported in one line and the shipped lists are used instead. Returns whether a file was read
    // whole.
    bool load(const std::string& keptFile, const std::string& shippedFile);
    // Writes both lists to fileName, whole or not at all. False (reported) when it could not be written.
    bool save() const;

    // Offers a finished run (only min and sec are read) to the Time Attack / Super Time Attack list.
    // A run faster than the slowest entry replaces it under the player's name, the list is sorted
    // (a tie goes after the older entries) and everything is saved: returns true. Into an empty list
    // any run goes.
    bool submitTimeAttack(const BestTime& run);
    bool submitSuperTimeAttack(const BestTime& run);

    // The list of a time-attack mode (1 or 2), or null for any other mode.
    const std::vector<BestTime>* listOfMode(int mode) const;

    std::string fileName = "lists.tm";  // where save() writes
    std::vector<BestTime> atkMode;      // Time Attack Mode, best first
    std::vector<BestTime> superAtk;     // Super Time Attack Mode, best first

private:
    bool submit(std::vector<BestTime>& list, const BestTime& run);
};

// The lists of the running game: the settings folder's "lists.tm", on a fresh installation the shipped
// "Content/lists.tm". Read during static initialisation.
BestTimesLists& getBestTimesLists();
extern BestTimesLists& bestTimesLists;
