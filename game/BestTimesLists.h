// The best times of the two time-attack modes, kept in "lists.tm" in the settings folder: read once when
// first used, offered every finished run by the clock, saved whole after every record, and shown by the
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
    // "atkMode" and "superAtk" in any order, until "end" or until both are read; entries are appended
    // in file order, but for those without a whole time (reported). What is not an entry is reported
    // and stepped over.
    void read(BaseInStream& in, int version);
    void write(BaseOutStream& out, int version) const;

    // Reads the lists kept at keptFile, or, when there is none yet, the copy shipped with the game
    // (found like any data file); later saves go to keptFile. A kept file read with errors is reported
    // and keeps every whole entry read; a list of which none is left comes from the shipped lists.
    // Returns whether the lists in use were read without errors.
    bool load(const std::string& keptFile, const std::string& shippedFile);
    // Writes both lists to fileName, whole or not at all; a kept file read with errors is first copied
    // to "<name>.bak". False (reported) when it could not be written.
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
    // The kept file when its reading reported problems: what was lost would go with the next save.
    mutable std::string readWithErrors;

private:
    bool submit(std::vector<BestTime>& list, const BestTime& run);
};

// The lists of the running game: the settings folder's "lists.tm", on a fresh installation the shipped
// "Content/lists.tm". Read at the first call, so that a program that never shows or enters a best time
// never looks for the file.
BestTimesLists& bestTimesLists();
