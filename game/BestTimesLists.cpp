// Best-times lists: reading and writing "lists.tm", and recording a new best time.
#include "game/BestTimesLists.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "core/FileLookup.h"
#include "core/FileReader.h"
#include "core/FileWriter.h"
#include "core/TextFormat.h"
#include "platform/UserName.h"

namespace {

// Written in this order; read by hand (see read).
const Field<BestTimesLists> listFields[] = {
    field<&BestTimesLists::atkMode>("atkMode"),
    field<&BestTimesLists::superAtk>("superAtk"),
};

bool fileExists(const std::string& path) {
    std::error_code error;
    return !path.empty() && std::filesystem::is_regular_file(path, error);
}

bool startsEntry(const std::string& token) {
    return token == "BestTime" || token == "\"BestTime\"" || isValueDirective(token);
}

// A list's entries until its "end". What is not an entry is reported once and stepped over up to the
// next entry or the list's "end" (an "end" right before an entry closed a broken entry, not the list),
// so that one stray word does not lose every entry after it. Entries without a whole time are left out.
void readEntries(BaseInStream& in, std::vector<BestTime>& list) {
    bool progress = false;
    readContainerSize(in, progress);
    bool strayReported = false;
    std::string token;
    while (nextElement(in) && nextToken(in, token)) {
        if (startsEntry(token)) {
            in.unget(token);
            BestTime entry;
            readValue(in, entry);
            if (in.hasFailed()) break;
            if (entry.complete) list.push_back(std::move(entry));
            continue;
        }
        if (!strayReported) in.warn("a best-times list holds \"" + token + "\" where an entry belongs; it is stepped over");
        strayReported = true;
        std::string next;
        while (nextToken(in, next) && next != "end" && !startsEntry(next)) continue;
        if (next == "end") {
            std::string after;
            if (nextToken(in, after)) in.unget(after);
            if (!startsEntry(after)) break;
        } else if (!next.empty()) {
            in.unget(next);
        }
    }
}

}  // namespace

void BestTimesLists::read(BaseInStream& in, int) {
    // Hand-written: reading ends once both lists are in, so a file cut after its last list lost nothing.
    bool timeAttackRead = false;
    bool superTimeAttackRead = false;
    std::string key;
    while (!(timeAttackRead && superTimeAttackRead) && readKey(in, key)) {
        if (key == "atkMode") {
            readEntries(in, atkMode);
            timeAttackRead = true;
        } else if (key == "superAtk") {
            readEntries(in, superAtk);
            superTimeAttackRead = true;
        } else {
            skipUnknownKey(in, key);
        }
        in.attributes.clear();
    }
    if (!(timeAttackRead && superTimeAttackRead)) return;
    std::string token;
    if (nextToken(in, token) && token != "end") in.unget(token);
}

void BestTimesLists::write(BaseOutStream& out, int) const { writeFields(out, *this, listFields); }

bool BestTimesLists::load(const std::string& keptFile, const std::string& shippedFile) {
    fileName = keptFile;
    readWithErrors.clear();
    atkMode.clear();
    superAtk.clear();
    if (fileExists(keptFile)) {
        BestTimesLists kept;
        FileReader reader(keptFile);
        readValue(reader, kept);
        const bool whole = reader.isOpen() && !reader.hadProblems();
        atkMode = std::move(kept.atkMode);
        superAtk = std::move(kept.superAtk);
        if (whole) return true;
        readWithErrors = reader.getPath();
        // Every whole entry of a damaged file is the player's. A list it lost altogether comes from the
        // shipped lists: left empty, it would hold one record for good, each replacing the last.
        if (!atkMode.empty() && !superAtk.empty()) return false;
    }
    BestTimesLists shipped;
    FileReader reader(shippedFile);
    readValue(reader, shipped);
    if (atkMode.empty()) atkMode = std::move(shipped.atkMode);
    if (superAtk.empty()) superAtk = std::move(shipped.superAtk);
    return reader.isOpen() && !reader.hadProblems() && readWithErrors.empty();
}

bool BestTimesLists::save() const {
    const std::filesystem::path folder = std::filesystem::path(fileName).parent_path();
    if (!folder.empty()) {
        std::error_code error;
        // A failure shows when the file is written.
        std::filesystem::create_directories(folder, error);
    }
    FileWriter writer(fileName);
    writeValue(writer, *this);
    return closeKeepingFileReadWithErrors(writer, readWithErrors);
}

bool BestTimesLists::submit(std::vector<BestTime>& list, const BestTime& run) {
    if (!list.empty() && !fasterThan(run, list.back())) return false;
    if (!list.empty()) list.pop_back();
    list.emplace_back(recordedName(getUserName()), std::min(run.min, 59), std::min(run.sec, 59));
    std::stable_sort(list.begin(), list.end(), fasterThan);
    save();
    return true;
}

bool BestTimesLists::submitTimeAttack(const BestTime& run) { return submit(atkMode, run); }

bool BestTimesLists::submitSuperTimeAttack(const BestTime& run) { return submit(superAtk, run); }

const std::vector<BestTime>* BestTimesLists::listOfMode(int mode) const {
    if (mode == 1) return &atkMode;
    if (mode == 2) return &superAtk;
    return nullptr;
}

BestTimesLists& bestTimesLists() {
    // Never destroyed: nothing is saved at exit, and late users at exit still find it.
    static BestTimesLists* lists = [] {
        auto* loaded = new BestTimesLists();
        const std::string settings = getSettingsFolder();
        loaded->load(settings.empty() ? std::string("lists.tm") : settings + "lists.tm", "Content/lists.tm");
        return loaded;
    }();
    return *lists;
}
