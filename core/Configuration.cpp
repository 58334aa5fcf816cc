// The settings store: reading and writing "config.cfg" with the text format's map readers and writers.
#include "core/Configuration.h"

#include <filesystem>
#include <system_error>

#include "core/FileLookup.h"
#include "core/FileReader.h"
#include "core/FileWriter.h"
#include "core/TextFormat.h"

Configuration::Configuration(const std::string& name, const std::string& defaultsFile) : fileName(name) {
    std::string found;
    if (!defaultsFile.empty() && !findFile(name, found) && findFile(defaultsFile, found))
        load(defaultsFile);
    else
        load(name);
}

bool Configuration::load(const std::string& file) {
    FileReader reader(file);
    if (!reader.isOpen()) return false;
    readValue(reader, *this);
    // What the reader stepped over or stopped at would be lost by overwriting the file.
    if (reader.hadProblems()) readWithErrors = reader.getPath();
    return !reader.hasFailed();
}

bool Configuration::save() const {
    // A file found somewhere is rewritten there; a bare name found nowhere belongs in the settings
    // folder, wherever the game was started from.
    std::string target;
    if (!findFile(fileName, target) && !std::filesystem::path(fileName).has_parent_path()) {
        const std::string folder = getSettingsFolder();
        if (!folder.empty()) {
            std::error_code error;
            // A failure shows when the file is written.
            std::filesystem::create_directories(folder, error);
            target = folder + fileName;
        }
    }
    FileWriter writer(target);
    BaseOutStream& out = writer.objectStream(const_cast<Configuration*>(this), "Configuration");
    writeConfiguration(out, *this);
    return closeKeepingFileReadWithErrors(writer, readWithErrors);
}

namespace {
// The sections of the settings file, in the order they are written.
const Field<Configuration> configurationFields[] = {
    field<&Configuration::bools>("bools"),
    field<&Configuration::ints>("ints"),
    field<&Configuration::floats>("floats"),
    field<&Configuration::strings>("strings"),
};
}  // namespace

void Configuration::read(BaseInStream& in, int) { readFields(in, *this, configurationFields); }

void Configuration::write(BaseOutStream& out, int) const { writeFields(out, *this, configurationFields); }

namespace {
template <class M>
typename M::mapped_type lookup(const M& map, const std::string& key, const typename M::mapped_type& fallback) {
    auto found = map.find(key);
    return found == map.end() ? fallback : found->second;
}
}  // namespace

bool Configuration::getBool(const std::string& key, bool fallback) const { return lookup(bools, key, fallback); }
int Configuration::getInt(const std::string& key, int fallback) const { return lookup(ints, key, fallback); }
float Configuration::getFloat(const std::string& key, float fallback) const { return lookup(floats, key, fallback); }
std::string Configuration::getString(const std::string& key, const std::string& fallback) const {
    return lookup(strings, key, fallback);
}

BaseOutStream& writeConfiguration(BaseOutStream& out, const Configuration& settings) {
    writeStringToken(out, "Configuration");
    writeValue(out, settings.getVersion());
    writeCode(out, BaseOutStream::lineEnd);
    settings.write(out, settings.getVersion());
    return out;
}

Configuration& getConfiguration() {
    // Never destroyed: nothing is written at exit, and late users at exit still find it.
    static Configuration* settings = new Configuration("config.cfg", "Content/config.cfg");
    return *settings;
}

Configuration& configuration = getConfiguration();

const Configuration& settingDefaults() {
    static const Configuration* defaults = [] {
        auto* table = new Configuration();
        table->bools = {{"fullscreen", false}, {"limitFrameRate", true}, {"muted", false}};
        table->ints = {{"antiAliasing", 4}, {"numAutoSaveFiles", 5}, {"resolutionX", 1024},
                       {"resolutionY", 768}, {"timerMode", 0}, {"timerModeEnable", 0}};
        table->floats = {{"autoSaveInterval", 120.0f},
                         {"modifyModeDefaultCameraDistance", 20.0f},
                         {"placeModeDefaultCameraDistance", 30.0f},
                         {"playModeDefaultCameraDistance", 15.0f}};
        table->strings = {{"autoSaveFileName", "autosave.lvl"}, {"startingState", "Content/Levels/level1.lvl"}};
        return table;
    }();
    return *defaults;
}

namespace {
template <class M>
typename M::mapped_type& settingOrDefault(M& map, const M& defaults, const std::string& key) {
    auto found = map.find(key);
    if (found != map.end()) return found->second;
    auto shipped = defaults.find(key);
    return map.emplace(key, shipped == defaults.end() ? typename M::mapped_type{} : shipped->second).first->second;
}
}  // namespace

bool& Configuration::boolSetting(const std::string& key) { return settingOrDefault(bools, settingDefaults().bools, key); }
int& Configuration::intSetting(const std::string& key) { return settingOrDefault(ints, settingDefaults().ints, key); }
float& Configuration::floatSetting(const std::string& key) {
    return settingOrDefault(floats, settingDefaults().floats, key);
}
std::string& Configuration::stringSetting(const std::string& key) {
    return settingOrDefault(strings, settingDefaults().strings, key);
}
