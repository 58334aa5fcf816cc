// One entry of a best-times list: who made the run, and its minutes and seconds.
#pragma once

#include <string>

class BaseInStream;
class BaseOutStream;

class BestTime {
public:
    BestTime() = default;
    BestTime(std::string name, int min, int sec) : name(std::move(name)), min(min), sec(sec) {}
    virtual ~BestTime() = default;
    BestTime(const BestTime&) = default;
    BestTime& operator=(const BestTime&) = default;

    virtual int getVersion() const { return 0; }
    // "name", "min" and "sec" in any order, until "end". A time that is missing or not a number is
    // reported and clears `complete`.
    void read(BaseInStream& in, int version);
    void write(BaseOutStream& out, int version) const;

    bool operator==(const BestTime& other) const = default;

    std::string name;  // as recorded (recordedName) or as read from the file
    int min = 0;
    int sec = 0;
    // False when the file gave no time or one that is not a number: the lists leave such an entry out
    // rather than rank it as 0:00. Never written.
    bool complete = true;
};

// Whether a is a strictly better (smaller) time than b.
bool fasterThan(const BestTime& a, const BestTime& b);

// The name a new record is kept under: the user name as it is, blanks inside included, padded with
// blanks or cut to exactly 15 characters (UTF-8 characters, never cut in two); "Username" when empty.
// Written in double quotes, it reads back exactly.
std::string recordedName(const std::string& userName);

// The name as the best-times screen shows it: as stored, padded with blanks to 15 characters (files of
// earlier versions hold names kept without their padding), never cut.
std::string shownName(const std::string& name);

// One line of the best-times screen: the shown name, five blanks, the minutes and the seconds, each at
// least two digits ("75:03" for 75 minutes 3 seconds, which only an older or edited file holds).
std::string bestTimeLine(const BestTime& entry);
