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
    // "name", "min" and "sec" in any order, until "end".
    void read(BaseInStream& in, int version);
    void write(BaseOutStream& out, int version) const;

    bool operator==(const BestTime& other) const = default;

    std::string name;  // as recorded (recordedName) or as read from the file
    int min = 0;
    int sec = 0;
};

// Whether a is a strictly better (smaller) time than b.
bool fasterThan(const BestTime& a, const BestTime& b);

// The name a new record is kept under: white space runs become one blank (the file's reader would
// merge them anyway, so the name reads back as written), no blank at either end, at most 15
// characters (never cutting a UTF-8 character), "Username" when nothing is left.
std::string recordedName(const std::string& userName);

// The name as the best-times screen shows it: exactly 15 characters, padded with blanks or cut.
std::string shownName(const std::string& name);

// One line of the best-times screen: the shown name, five blanks and the time as mm:ss, with minutes
// and seconds held to 0..59 (a hand-edited file may hold anything).
std::string bestTimeLine(const BestTime& entry);
