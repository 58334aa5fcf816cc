// Best-times entries: their text, their order, and how their names are recorded and shown.
#include "game/BestTime.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <iterator>

#include "core/TextFormat.h"

namespace {

// A time field: a whole number, or the entry is incomplete (reported). atoi would read "x" as 0,
// which ranks first in its list.
void readTime(BaseInStream& in, int& value, bool& complete) {
    std::string token;
    if (!nextToken(in, token)) return;  // the entry's reader reports the cut
    if (isValueDirective(token)) {
        in.unget(token);
        readValue(in, value);
        return;
    }
    const char* first = token.data() + (token[0] == '+' ? 1 : 0);
    const char* last = token.data() + token.size();
    int number = 0;
    const auto [end, error] = std::from_chars(first, last, number);
    if (error == std::errc() && end == last) {
        value = number;
        return;
    }
    // A missing value: the entry's "end" stays for the entry.
    if (token == "end") in.unget(token);
    in.warn("a best time holds \"" + token + "\" where a number belongs; the entry is left out");
    complete = false;
}

template <int BestTime::*Member>
Field<BestTime> timeField(const char* key) {
    return {key, std::char_traits<char>::length(key),
            [](BaseInStream& in, BestTime& entry) { readTime(in, entry.*Member, entry.complete); },
            [](BaseOutStream& out, const BestTime& entry) { writeValue(out, entry.*Member); }};
}

const Field<BestTime> bestTimeFields[] = {
    field<&BestTime::name>("name"),
    timeField<&BestTime::min>("min"),
    timeField<&BestTime::sec>("sec"),
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

// Blanks up to nameLength characters.
std::string padded(std::string name) {
    const std::size_t characters = characterCount(name);
    if (characters < nameLength) name.append(nameLength - characters, ' ');
    return name;
}

}  // namespace

void BestTime::read(BaseInStream& in, int) {
    // An entry without its minutes or seconds would rank as if they were 0.
    bool given[std::size(bestTimeFields)] = {};
    readFields(in, *this, bestTimeFields, given);
    if (complete && !in.hasFailed() && !(given[1] && given[2])) {
        in.warn(std::string("a best time has no \"") + (given[1] ? "sec" : "min") + "\"; the entry is left out");
        complete = false;
    }
}

void BestTime::write(BaseOutStream& out, int) const { writeFields(out, *this, bestTimeFields); }

bool fasterThan(const BestTime& a, const BestTime& b) { return a.min < b.min || (a.min == b.min && a.sec < b.sec); }

std::string recordedName(const std::string& userName) {
    if (userName.empty()) return padded("Username");
    return padded(userName.substr(0, prefixBytes(userName, nameLength)));
}

std::string shownName(const std::string& name) { return padded(name); }

std::string bestTimeLine(const BestTime& entry) {
    // Minutes as they are, never turned into hours; a negative time from an edited file shows as 0.
    char time[32];
    std::snprintf(time, sizeof(time), "%02u:%02u", static_cast<unsigned>(std::max(entry.min, 0)),
                  static_cast<unsigned>(std::max(entry.sec, 0)));
    return shownName(entry.name) + "     " + time;
}
