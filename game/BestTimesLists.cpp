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

const Field<BestTimesLists> listFields[] = {
    field<&BestTimesLists::atkMode>("atkMode"),
    field<&BestTimesLists::superAtk>("superAtk"),
};

// Reads the whole object from one file; false when it could not be opened or read to its end.
bool readListsFile(const std::string& path, BestTimesLists& lists) {
    FileReader reader(path);
    if (!reader.isOpen()) return false;
    readValue(reader, lists);
    return !reader.hasFailed();
}

bool fileExists(const std::string& path) {
    std::error_code error;
    return !path.empty() && std::filesystem::is_regular_file(path, error);
}

}  // namespace

void BestTimesLists::read(BaseInStream& in, int) { readFields(in, *this, listFields); }

void BestTimesLists::write(BaseOutStream& out, int) const { writeFields(out, *this, listFields); }

bool BestTimesLists::load(const std::string& keptFile, const std::string& shippedFile) {
    fileName = keptFile;
    if (fileExists(keptFile)) {
        BestTimesLists kept;
        if (readListsFile(keptFile, kept)) {
            atkMode = std::move(kept.atkMode);
            superAtk = std::move(kept.superAtk);
            return true;
        }
        // The reader has reported where it stopped; what it read of a broken file is not trusted.
    }
    BestTimesLists shipped;
    const bool whole = readListsFile(shippedFile, shipped);
    atkMode = std::move(shipped.atkMode);
    superAtk = std::move(shipped.superAtk);
    return whole;
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
    return writer.close();
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

BestTimesLists& getBestTimesLists() {
    // Never destroyed: nothing is saved at exit, and late users at exit still find it.
    static BestTimesLists* lists = [] {
        auto* loaded = new BestTimesLists();
        const std::string settings = getSettingsFolder();
        loaded->load(settings.empty() ? std::string("lists.tm") : settings + "lists.tm", "Content/lists.tm");
        return loaded;
    }();
    return *lists;
}

BestTimesLists& bestTimesLists = getBestTimesLists();
