// Best-times entries: their text, their order, and how their names are recorded and shown.
#include "game/BestTime.h"

#include <algorithm>

#include "core/TextFormat.h"

namespace {

const Field<BestTime> bestTimeFields[] = {
    field<&BestTime::name>("name"),
    field<&BestTime::min>("min"),
    field<&BestTime::sec>("sec"),
};

constexpr std::size_t nameLength = 15;

bool isUtf8Continuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

// Byte length of the first `characters` UTF-8 characters of text (all of it when shorter).
std::size_t prefixBytes(const std::string& text, std::size_t characters) {
    std::size_t i = 0;
    for (std::size_t counted = 0; i < text.size() && counted < characters; ++counted) {
        ++i;
        while (i < text.size() && isUtf8Continuation(text[i])) ++i;
    }
    return i;
}

std::size_t characterCount(const std::string& text) {
    return static_cast<std::size_t>(std::count_if(text.begin(), text.end(), [](char c) { return !isUtf8Continuation(c); }));
}

void appendTwoDigits(std::string& out, int value) {
    value = std::clamp(value, 0, 59);
    out.push_back(static_cast<char>('0' + value / 10));
    out.push_back(static_cast<char>('0' + value % 10));
}

}  // namespace

void BestTime::read(BaseInStream& in, int) { readFields(in, *this, bestTimeFields); }

void BestTime::write(BaseOutStream& out, int) const { writeFields(out, *this, bestTimeFields); }

bool fasterThan(const BestTime& a, const BestTime& b) { return a.min < b.min || (a.min == b.min && a.sec < b.sec); }

std::string recordedName(const std::string& userName) {
    std::string name;
    bool blankPending = false;
    for (char c : userName) {
        const bool space = c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
        if (space) {
            blankPending = !name.empty();
            continue;
        }
        if (blankPending) name.push_back(' ');
        blankPending = false;
        name.push_back(c);
    }
    name.resize(prefixBytes(name, nameLength));
    while (!name.empty() && name.back() == ' ') name.pop_back();
    return name.empty() ? "Username" : name;
}

std::string shownName(const std::string& name) {
    std::string shown = name.substr(0, prefixBytes(name, nameLength));
    shown.append(nameLength - characterCount(shown), ' ');
    return shown;
}

std::string bestTimeLine(const BestTime& entry) {
    std::string line = shownName(entry.name);
    line += "     ";
    appendTwoDigits(line, entry.min);
    line.push_back(':');
    appendTwoDigits(line, entry.sec);
    return line;
}
